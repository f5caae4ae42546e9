#pragma once

#include <QLabel>

// A file name from the server on one line: never read as markup, and when it is wider than the
// label it is cut in its middle, so that its end, the extension that says what the file is,
// stays in sight.
class FileNameLabel : public QLabel {
public:
    explicit FileNameLabel(QWidget *parent);

    void setFileName(const QString &name);
    const QString &fileName() const { return m_name; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_name;
};
