#include "params/ParameterFiles.h"

#include "app/TForm1.h"
#include "params/AnalogThrustPage.h"
#include "params/BlockFile.h"
#include "params/DigitalOutputPage.h"
#include "params/EditorControls.h"
#include "params/EditorMapping.h"
#include "params/EditorText.h"
#include "params/SpeedWord.h"
#include "params/UnitConversions.h"
#include "params/WordFields.h"
#include "params/ZdfContent.h"
#include "session/EventWait.h"

#include "ui_TForm1.h"

#include <QDir>
#include <QFileInfo>

namespace zuvo {

namespace {

const QString OverwriteQuestion = QStringLiteral("  Overwrite file ?  ");
const QString Confirmation = QStringLiteral("Confirmation");
const QString BadBlock = QStringLiteral("Bad Parameterblock! ");

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
const QString NotSaved = QStringLiteral(
    "The parameter file was not saved: the stroke (1..65535 mm) and the turns (1..6000) must be "
    "whole numbers.");

SpeedSensor sensorOf(const RadioGroup* group) {
    return group->itemIndex() == 1 ? SpeedSensor::GearUnit : SpeedSensor::MotorAxis;
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
    if (!form_.editorMapping().SetVars()) {
        prompts.message(NotSaved);
        return false;
    }
    const Ui::TForm1& ui = *form_.ui;
    const auto& words = form_.Params.Slots;
    const QLocale locale;
    ZdfContent content;
    content.strokeMm = words[Word::Stroke];
    content.gear = static_cast<double>(editorInteger(ui.Turns->text()).value_or(0));
    content.clockwise = ui.TB->isChecked();
    content.hysteresis = IniFile::formatFloat(editorNumber(ui.Hysterese->text()), locale);
    for (int c = 1; c <= ZdfSegmentCount; ++c) {
        content.segmentMasks[static_cast<std::size_t>(c - 1)] = words[Word::segmentMask(c)];
    }
    content.functionFlags = words[Word::FunctionFlags];
    content.rushInDelays = words[Word::RushInDelays];
    content.thrustLimitSpeed = words[Word::ThrustLimitSpeed];
    const EditorControls& controls = form_.editorMapping().controls();
    for (int k = 1; k <= ZdfSwitchPositionCount; ++k) {
        content.switchPositions[static_cast<std::size_t>(k - 1)] =
            IniFile::formatFloat(editorNumber(controls.switchPosition(k)->text()), locale);
    }
    content.analogMinMm = ui.AnalogPos1->value();
    content.analogMaxMm = ui.AnalogPos2->value();

    // Keys of an existing file are replaced in place; its other sections, keys and comments stay.
    IniFile ini(path);
    if (!writeZdf(ini, content, locale) || !ini.save()) {
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
    show(content);
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

// Every control set here runs its own change reaction, in this order, as a user's change would;
// the stroke's reaction leaves the words alone until the next send or save.
void ParameterFiles::show(const ZdfContent& content) {
    EditorMapping& mapping = form_.editorMapping();
    const EditorMapping::ShowingValues showing(mapping);
    Ui::TForm1& ui = *form_.ui;
    ParameterBlock& block = form_.Params;
    auto& words = block.Slots;

    words[Word::ZeroWord] = content.zeroWord;
    words[Word::Stroke] = content.strokeMm;
    ui.AnalogPos1->setMaximum(content.strokeMm);
    ui.AnalogPos2->setMaximum(content.strokeMm);
    (content.clockwise ? ui.TB : ui.BT)->setChecked(true);
    ui.Turns->setText(QString::number(content.turns));
    words[Word::GearTurns] = content.gearWord();
    words[Word::FunctionFlags] = content.functionFlags;
    ui.Hysterese->setText(content.hysteresis);

    const FunctionFlags flags = FunctionFlags::fromWord(content.functionFlags);
    ui.AnlaufE->setItemIndex(flags.thrustOverload ? 1 : 0);
    ui.AnlaufS->setItemIndex(flags.sensorOnGearUnit ? 1 : 0);
    showComboItem(ui.AnalogComboBox1, flags.analogFunction);
    showComboItem(ui.DIG4, flags.digitalOutput4Item());
    showComboItem(ui.ISpur, flags.impulses);
    ui.ExtRef->setChecked(flags.externalReference);
    ui.P_EXT->setVisible(ui.ExtRef->isChecked());
    ui.AnlaufE->setItemIndex(flags.thrustOverload ? 1 : 0);
    ui.AnlaufS->setItemIndex(flags.sensorOnGearUnit ? 1 : 0);

    for (int c = 1; c <= ZdfSegmentCount; ++c) {
        words[Word::segmentMask(c)] = content.segmentMasks[static_cast<std::size_t>(c - 1)];
    }
    ui.AnalogPos2->setValue(content.analogMaxMm);
    ui.AnalogPos1->setValue(content.analogMinMm);
    const EditorControls& controls = mapping.controls();
    for (int k = 1; k <= ZdfSwitchPositionCount; ++k) {
        controls.switchPosition(k)->setText(
            content.switchPositions[static_cast<std::size_t>(k - 1)]);
    }

    // The file's own stroke and turns: the stroke edit shows them only further down.
    const Geometry geometry{content.strokeMm, content.turns};
    auto& counts = block.SwitchPositionCounts;
    counts[AnalogMinEntry] =
        EditorCounts(std::int64_t{ui.AnalogPos1->value()}, geometry).value_or(-1);
    counts[AnalogMaxEntry] =
        EditorCounts(std::int64_t{ui.AnalogPos2->value()}, geometry).value_or(-1);
    for (int k = 1; k <= ZdfSwitchPositionCount; ++k) {
        counts[switchPositionEntry(k)] =
            FileCounts(editorNumber(controls.switchPosition(k)->text()), geometry).value_or(-1);
    }

    words[Word::RushInDelays] = content.rushInDelays;
    const RushInDelays delays = RushInDelays::fromWord(content.rushInDelays);
    ui.AnlaufZ1->setValue(delays.retract);
    ui.AnlaufZ2->setValue(delays.extend);

    words[Word::ThrustLimitSpeed] = content.thrustLimitSpeed;
    const std::int32_t rpm = SpeedWordToRpm(content.thrustLimitSpeed, sensorOf(ui.AnlaufS));
    ui.UpDown3->setPosition(rpm);
    ui.Anlauf1->setText(QString::number(rpm));

    ui.Laenge->setText(QString::number(content.strokeMm));
    mapping.GetVars();
    form_.digitalOutputPage().PaintL();
    handlePendingEvents();
}

void ParameterFiles::loadAtStart(const QString& path) {
    if (!GetDataFromIni(path)) {
        return; // nothing shown from the file: the controller's block is read as usual
    }
    // Their reactions are not attached to the track bars yet.
    form_.analogThrustPage().AnalogPos1Change();
    form_.analogThrustPage().AnalogPos2Change();
    form_.State.ParamReadPending = false;
}

} // namespace zuvo
