#pragma once
// Saves parameter sets to parameter files and loads them again; checks block files.

#include "app/UserPrompts.h"

#include <QString>

namespace zuvo {

class TForm1;
struct ZdfContent;

class ParameterFiles {
public:
    explicit ParameterFiles(TForm1& form);

    // Menu "Save to File" (Save1Click).
    void SaveToFileClick();
    // Menu "Read from File" (ReadfromINIFile1Click).
    void ReadFromFileClick();
    // Loads a parameter file into the editor pages, or checks a block file (*.dat). False, with a
    // message and nothing changed, when it could not be read or is no parameter set.
    bool GetDataFromIni(const QString& path);
    // A file named on the command line: loaded, the analog reactions run once, and the
    // device's block does not overwrite it at first contact.
    void loadAtStart(const QString& path);

    // Saves the editor's values to `path` (the overwrite question already answered). False, with
    // a message, when nothing usable could be saved; the file on disk is then unchanged.
    bool saveTo(const QString& path);

    UserPrompts prompts;

private:
    bool checkBlockFile(const QString& path);
    // Puts a completely read parameter set on the pages and into the block.
    void show(const ZdfContent& content, const QString& fileName);
    // What loading any parameter set or valid block file means for the link.
    void takeOverFromFile();

    TForm1& form_;
};

} // namespace zuvo
