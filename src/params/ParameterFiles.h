#pragma once
// Saves parameter sets to parameter files and loads them again; checks block files.

#include <QString>

namespace zuvo {

class TForm1;

class ParameterFiles {
public:
    explicit ParameterFiles(TForm1& form);

    void SaveToFileClick();
    void ReadFromFileClick();
    // Loads a parameter file into the editor pages; false when it could not be read.
    bool GetDataFromIni(const QString& path);
    // A file named on the command line: loaded, the analog reactions run once, and the
    // device's block does not overwrite it at first contact.
    void loadAtStart(const QString& path);

private:
    TForm1& form_;
};

} // namespace zuvo
