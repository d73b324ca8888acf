#include "app/pages/ParameterFiles.h"

#include "app/TForm1.h"
#include "app/pages/AnalogThrustPage.h"
#include "app/pages/EditorMapping.h"
#include "params/BlockFile.h"
#include "params/EditorModel.h"
#include "params/FileNumber.h"
#include "params/InputFileCheck.h"
#include "params/ParameterValues.h"
#include "params/ZdfContent.h"
#include "session/EventWait.h"

#include "ui_TForm1.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace zuvo {

namespace {

const QString OverwriteQuestion = QStringLiteral("  Overwrite file ?  ");
const QString Confirmation = QStringLiteral("Confirmation");
const QString BadBlock = QStringLiteral("Bad Parameterblock! ");

// Every parameter or block file that cannot be read as a file, at start-up or from the menu.
QString unusableFileMessage(const QString& path, const InputFileCheck& check) {
    const QString text = unreadableFileText(QStringLiteral("parameter file"), path, check);
    return QStringLiteral("  ") + text.left(1).toUpper() + text.mid(1) + QStringLiteral("  ");
}
QString cannotRead(const QString& path) {
    return QStringLiteral("  Cannot read the parameter file %1  ")
        .arg(QDir::toNativeSeparators(path));
}
QString noParameterSet(const QString& path) {
    return QStringLiteral("  %1 holds no parameter set  ").arg(QDir::toNativeSeparators(path));
}
QString cannotSave(const QString& path) {
    return QStringLiteral("  Cannot save the parameter file %1  ")
        .arg(QDir::toNativeSeparators(path));
}
QString notSaved(const QString& reasons) {
    return QStringLiteral("The parameter file was not saved: ") + reasons + QLatin1Char('.');
}

} // namespace

ParameterFiles::ParameterFiles(TForm1& form) : form_(form) {
    QObject::connect(form_.ui->Save1, &QAction::triggered, &form_, [this] { SaveToFileClick(); });
    QObject::connect(form_.ui->ReadfromINIFile1, &QAction::triggered, &form_,
                     [this] { ReadFromFileClick(); });
}

void ParameterFiles::SaveToFileClick() {
    const QString chosen = prompts.chooseFile(*form_.SaveDialog1);
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = withZdfExtension(chosen);
    if (QFileInfo::exists(path) && !prompts.confirm(OverwriteQuestion, Confirmation)) {
        return;
    }
    saveTo(path);
}

bool ParameterFiles::saveTo(const QString& path) {
    EditorMapping& mapping = form_.editorMapping();
    if (!mapping.SetVars()) {
        prompts.message(notSaved(mapping.refusalText()));
        return false;
    }
    const QLocale locale;
    const std::optional<ZdfContent> content =
        fileContent(form_.editorModel().values(), fileDecimalSeparator(locale));
    // Keys of an existing file are replaced in place; its other sections, keys and comments stay.
    IniFile ini(path);
    if (!content || !writeZdf(ini, *content, locale) || !ini.save()) {
        prompts.message(cannotSave(path));
        return false;
    }
    return true;
}

void ParameterFiles::ReadFromFileClick() {
    const QString chosen = prompts.chooseFile(*form_.OpenDialog1);
    if (chosen.isEmpty()) {
        return;
    }
    GetDataFromIni(withZdfExtension(chosen));
}

bool ParameterFiles::GetDataFromIni(const QString& path) {
    // A pipe or a device is never opened: it could block the window or never end.
    if (const InputFileCheck check = checkInputFile(path); !check.ok()) {
        prompts.message(unusableFileMessage(path, check));
        return false;
    }
    if (isBlockFileName(QFileInfo(path).fileName().toStdString())) {
        return checkBlockFile(path);
    }
    // The whole file is read and checked before anything is shown, so a file that turns out
    // unusable leaves the pages and the block as they were.
    const IniFile ini(path);
    if (ini.loadState() != IniFile::LoadState::Loaded) {
        prompts.message(cannotRead(path));
        return false;
    }
    if (!isParameterFile(ini)) {
        prompts.message(noParameterSet(path));
        return false;
    }
    const ZdfContent content = readZdf(ini);
    takeOverFromFile();
    show(content, QFileInfo(path).fileName());
    return true;
}

bool ParameterFiles::checkBlockFile(const QString& path) {
    if (!zuvo::checkBlockFile(QFile::encodeName(path).toStdString()).valid) {
        prompts.message(BadBlock);
        return false;
    }
    takeOverFromFile();
    return true;
}

void ParameterFiles::takeOverFromFile() {
    form_.ui->ReadParam->setEnabled(true);
    // From now on only the Read button replaces the loaded values with the controller's.
    form_.State.AutoReadParams = false;
}

// Values the pages cannot take as written are shown as well as the pages can show them and
// marked, so that the set is not sent or saved until they are corrected.
void ParameterFiles::show(const ZdfContent& content, const QString& fileName) {
    form_.editorModel().showFile(content, fileName, form_.Params);
    handlePendingEvents();
}

void ParameterFiles::loadAtStart(const QString& path) {
    // Named on the command line: a terminal that started the program hears why it was not loaded.
    const std::function<void(const QString&)> show = prompts.message;
    prompts.message = [&show](const QString& text) {
        qWarning().noquote() << text.trimmed();
        show(text);
    };
    const bool loaded = GetDataFromIni(path);
    prompts.message = show;
    if (!loaded) {
        return; // nothing shown from the file: the controller's block is read as usual
    }
    // A bar that keeps its position reports no change: the labels show the loaded range anyway.
    form_.analogThrustPage().AnalogPos1Change();
    form_.analogThrustPage().AnalogPos2Change();
    form_.State.ParamReadPending = false;
}

} // namespace zuvo
