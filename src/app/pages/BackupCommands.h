#pragma once
// "Values > Restore Backup..." and "Values > Compare with File...": a backup's words sent back to
// the controller exactly as stored and verified, and the controller's parameters beside a file's.

#include "app/UserPrompts.h"
#include "params/BackupFile.h"
#include "params/ParameterComparison.h"

#include <QString>

#include <functional>
#include <vector>

namespace zuvo {

class TForm1;

class BackupCommands {
public:
    explicit BackupCommands(TForm1& form);

    void RestoreBackupClick();
    void CompareWithFileClick();

    // Restores the backup at `path` after the user's confirmation; false when nothing was sent.
    bool restore(const QString& path);
    // Compares the controller's block with the file at `path` and shows the comparison.
    void compareWith(const QString& path);

    UserPrompts prompts;
    // Shows the comparison; tests look at the rows instead.
    std::function<void(const std::vector<ComparisonRow>& rows, const QString& fileName)>
        showComparison;

private:
    TForm1& form_;
};

// The text the user confirms before a restore: the backup's time, port, firmware, stroke, turns.
QString restoreQuestion(const QString& fileName, const BackupSummary& summary, int toPort);

} // namespace zuvo
