#pragma once

#include <QString>

namespace report {

// A data source that holds no data: it only says how many records a data band runs over
// and which one is being output. The program supplies the texts through GetValue.
class UserDataSource {
public:
    explicit UserDataSource(QString userName) : m_userName(std::move(userName)) {}

    const QString &userName() const { return m_userName; }
    int recordCount() const { return m_recordCount; }
    void setRecordCount(int count) { m_recordCount = count < 0 ? 0 : count; }
    // Counted from 0 while a data band runs over the source.
    int recNo() const { return m_recNo; }
    void setRecNo(int recNo) { m_recNo = recNo; }

private:
    QString m_userName;
    int m_recordCount = 0;
    int m_recNo = 0;
};

} // namespace report
