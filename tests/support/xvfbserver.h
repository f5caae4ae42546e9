#pragma once

#include <QString>

// A private X server (Xvfb) for the tests that show windows; stopped with the object.
class XvfbServer {
public:
    explicit XvfbServer(int width = 1280, int height = 1024);
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    QString display() const { return m_display; } // ":N"

private:
    qint64 m_pid = -1;
    QString m_display;
};
