#pragma once
// The parameter features' questions and messages. Each feature holds them as replaceable
// functions, so that everything they do can also run without a user.

#include "app/InstanceGuard.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>

#include <functional>

namespace zuvo {

struct UserPrompts {
    // A message the user acknowledges with OK.
    std::function<void(const QString& text)> message = showMessage;
    // OK and Cancel under `caption`; true for OK.
    std::function<bool(const QString& text, const QString& caption)> confirm = askOkCancel;
    // The name the user chose in a file dialog, empty when cancelled.
    std::function<QString(QFileDialog& dialog)> chooseFile = runFileDialog;

    // Without icon, under the application's title.
    static void showMessage(const QString& text) {
        QMessageBox box(QMessageBox::NoIcon,
                        applicationTitle(QCoreApplication::applicationFilePath()), text,
                        QMessageBox::Ok);
        box.exec();
    }
    // Without owner window.
    static bool askOkCancel(const QString& text, const QString& caption) {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    }
    static QString runFileDialog(QFileDialog& dialog) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return dialog.selectedFiles().front();
    }
};

} // namespace zuvo
