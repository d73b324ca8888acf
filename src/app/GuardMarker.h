#pragma once
// The guard's marker "ZUVO": a lock file in a private folder. Every running copy holds a shared
// flock on it, so it is taken while any copy runs and the kernel frees a crashed holder's share;
// it is free when the exclusive lock can be had. Tests and takes are made under an exclusive
// flock on the folder, so two copies starting at once cannot both find it free.

#include <QString>

namespace zuvo {

// `$ZUVO_RUNTIME_DIR`, else `$XDG_RUNTIME_DIR`, else /tmp/ZUVO-<uid>.
QString instanceDirectory();

// Creates `path` with mode 0700 when missing. Refuses (false, reason in `why`) anything but a
// real directory owned by this user; a group- or world-accessible one is made private.
bool preparePrivateDirectory(const QString& path, QString* why = nullptr);

// The system's text for the last error.
QString errnoText();

// Holds an exclusive flock on the guard's folder (its open descriptor) while the marker is
// tested and taken.
class FolderGate {
public:
    explicit FolderGate(int fd);
    ~FolderGate();
    FolderGate(const FolderGate&) = delete;
    FolderGate& operator=(const FolderGate&) = delete;

private:
    int fd_;
};

// Free when nobody holds a share; then this copy keeps one. Called under the folder's gate, so
// the exclusive test and the share that replaces it cannot be split by another copy.
bool takeMarkerIfFree(int markerFd);
// A share beside the other holders; false when one holds the marker exclusively.
bool shareMarker(int markerFd);
// The marker names the copy that took it last.
bool writePidInto(int markerFd);

} // namespace zuvo
