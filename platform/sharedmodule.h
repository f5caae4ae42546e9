#pragma once

#include <QString>

namespace platform {

// A loadable module of the installation (lib/ beside the programs), opened on first need so
// that a print run that does not need a library never pays for loading it.
class SharedModule {
public:
    explicit SharedModule(const QString &fileName);
    ~SharedModule();
    SharedModule(const SharedModule &) = delete;
    SharedModule &operator=(const SharedModule &) = delete;

    bool isLoaded() const { return m_handle != nullptr; }
    void *resolve(const char *symbol) const;
    const QString &errorString() const { return m_error; }

    // installationDirectory() + "lib/" + fileName.
    static QString pathOf(const QString &fileName);

private:
    void *m_handle = nullptr;
    QString m_error;
};

} // namespace platform
