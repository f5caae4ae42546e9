#pragma once

class QWebEngineHttpRequest;

// The browser's main frame, into which the web login loads its request.
class MainFrame {
public:
    virtual ~MainFrame() = default;
    virtual void loadRequest(const QWebEngineHttpRequest &request) = 0;
};
