#pragma once
// Whether a file can be written at a path, asked before the work that makes the file (a read of
// the controller, a recording of minutes) rather than after it. Every command that writes a file
// asks the same question.

#include <QString>

namespace zuvo {

struct OutputFileCheck {
    QString problem; // empty when the file can be written

    bool ok() const { return problem.isEmpty(); }
};

// The file at `path` would be made or replaced through a temporary file in its folder: the folder
// must exist, be a folder and take a new file (tried, so that a read-only mount counts too), and
// what is at `path` now must be a regular file that may be replaced.
OutputFileCheck checkOutputFile(const QString& path);

// "cannot write the <what> <path>: <problem>".
QString unwritableFileText(const QString& what, const QString& path, const OutputFileCheck& check);

} // namespace zuvo
