#pragma once

#include "failuredescription.h"
#include "preparedreport.h"
#include "reportlayout.h"

#include <QHash>
#include <exception>
#include <functional>
#include <optional>

namespace report {

class UserDataSource;

// A report: a layout, the program's callbacks and data sources, and the pages a preparation
// made of them.
//
// Preparation outputs the bands in layout order; a data band once per record of its data
// source, after its header band (a header set to print when its data band is empty prints
// also with no records). Before each band and each object the BeforePrint callback runs;
// what it changes (visibility, height, top, and anything else of the object) counts for that
// output. A band's objects get their callbacks also while the band is hidden, before any of
// them is output, so one of them may show its band (or hide it); a band still hidden then
// outputs nothing. Each "[name]" of a text that is output calls GetValue. Bands flow down the page, each at least as tall as what it paints
// (text grows with its font and its lines); a band that does not fit starts a new page.
//
// A failure raised inside a callback or by an object ends the preparation at once: the pages
// prepared up to then are kept for printing, prepare() returns false and the failure goes to
// the error handler, to failure() and to rethrowFailure().
class Report {
public:
    using Failure = FailureDescription;
    using BeforePrintHandler = std::function<void(ReportComponent &sender)>;
    using GetValueHandler = std::function<void(const QString &name, QString &value)>;
    using ErrorHandler = std::function<void(const Failure &failure)>;

    ReportLayout &layout() { return m_layout; }
    // Clears the current layout, then reads the file. A missing file leaves the layout empty
    // and raises nothing; a file that is not a layout raises LayoutError.
    void loadFromFile(const QString &path);
    void loadFromData(const QByteArray &xml, const QString &origin);
    // Band or object by name, without regard to letter case; null when there is none.
    ReportComponent *findObject(const QString &name) const { return m_layout.find(name); }

    // Not owned: the source must outlive the report.
    void addDataSource(UserDataSource &source);
    void setBeforePrint(BeforePrintHandler handler) { m_beforePrint = std::move(handler); }
    void setGetValue(GetValueHandler handler) { m_getValue = std::move(handler); }
    void setErrorHandler(ErrorHandler handler) { m_onError = std::move(handler); }

    // Discards the pages of an earlier preparation and prepares the layout again.
    bool prepare();
    const PreparedReport &prepared() const { return m_prepared; }
    const std::optional<Failure> &failure() const { return m_failure; }
    // Raises again the failure that ended the last preparation; nothing when there was none.
    void rethrowFailure() const;

    // The text with each "[name]" replaced by what GetValue gives for it.
    QString expand(const QString &text);

private:
    void runDataBand(ReportBand &band);
    void outputBand(ReportBand &band);
    void startPage();
    void beforePrint(ReportComponent &sender);
    void fail(Failure failure);

    ReportLayout m_layout;
    QHash<QString, UserDataSource *> m_dataSources;
    BeforePrintHandler m_beforePrint;
    GetValueHandler m_getValue;
    ErrorHandler m_onError;
    PreparedReport m_prepared;
    std::optional<Failure> m_failure;
    std::exception_ptr m_failureException;
    double m_y = 0; // where the next band goes on the current page, in units
};

} // namespace report
