#pragma once

// The progress window of one download, up while the browser fetches the file; destroyed when
// the download completes.
class DownloadProgress {
public:
    virtual ~DownloadProgress() = default;
    // The download ended without its file. The window now owns itself: it stays until the user
    // closes it, and goes then.
    virtual void leaveToUser() = 0;
};
