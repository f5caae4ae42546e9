#pragma once

// The progress window of one download, up while the browser fetches the file; destroyed when
// the download ends, with its file or without.
class DownloadProgress {
public:
    virtual ~DownloadProgress() = default;
};
