#pragma once
// Whether a file named by the user can be read as a file: every reader checks it before it opens
// the file, so a pipe or a device is never opened (it could block or never end) and every refusal
// names its reason in the same words.

#include <QString>

namespace zuvo {

struct InputFileCheck {
    enum class Problem {
        None,
        Missing,    // no such file
        Folder,     // a folder
        NotRegular, // a pipe, a socket or a device
        Unreadable, // no permission, or the system refused it otherwise
    };
    Problem problem = Problem::None;
    QString systemReason; // the system's words when it refused to open or look at the file

    bool ok() const { return problem == Problem::None; }
};

// Looks at `path` (symbolic links followed) and, when it is a regular file, opens it for reading
// once without blocking.
InputFileCheck checkInputFile(const QString& path);

// "no such file", "it is a folder", "it is not a regular file (a pipe or a device)", "it cannot
// be read: <the system's reason>".
QString inputFileReason(const InputFileCheck& check);

// The one refusal: "cannot read the <what> <path>: <reason>", e.g. "cannot read the parameter
// file /tmp/a.ZDF: no such file".
QString unreadableFileText(const QString& what, const QString& path, const InputFileCheck& check);

} // namespace zuvo
