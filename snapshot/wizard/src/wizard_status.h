// The wizard's progress across a restart of Windows: the status file
// imxstat.ini (in the Windows directory) with the status value of the page
// shown, the boot drive of the run (and, kept by the engine, the fast-scan
// setting of its first picture); and section "Strings" of the run's defaults file with the values a
// resumed run takes back.
#pragma once

#include <stdexcept>
#include <string>

namespace snapshot {

// A profile write that Windows refused: "Unable to write to FILE".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& file) : std::runtime_error("Unable to write to " + file) {}
};

// Pages of the main form by index.
enum WizardPage : int {
    kPageWelcome,
    kPageGeneralInfo,
    kPageLocations,
    kPageDefinitions,
    kPageConfirmPicture,
    kPageTakingPicture,
    kPageRunInstall,
    kPageContinue,
    kPageTargetDirectory,
    kPageGeneratingTemplate,
    kPageFinished,
    kPageCount
};

// Status values: 1 Welcome and GeneralInfo, 2 Locations, 3 Definitions,
// 4 ConfirmPicture, 5 TakingPicture, 6 RunInstall to TargetDirectory,
// 7 GeneratingTemplate, 8 Finished.
int StatusOfPage(int page);

void WriteStatus(int status);
// Decimal, or "0x" and hexadecimal digits; missing or unreadable reads as 0.
int ReadStatus();

// The boot drive of the run, kept beside the status when the first picture
// is taken, because after a restart the picker shows the Windows drive.
void WriteBootDrive(char letter);
// The letter kept, or `fallback` when none is.
char ReadBootDrive(char fallback);

// Section "Strings" of the defaults file: what the form held when the first
// picture was taken.
struct ResumeValues {
    std::string distName;
    std::string distDesc;
    std::string templateFile;
    std::string newFilePath;
    char windowsDrive = 'C';
    char bootDrive = 'c';
};
void WriteResumeValues(const std::string& defaultsFile, const ResumeValues& values);
// Missing keys take the defaults: empty name and description,
// "c:\newfiles\template.qmt", "c:\newfiles", the first letter of the
// Windows directory, "c".
ResumeValues ReadResumeValues(const std::string& defaultsFile, const std::string& windowsDirectory);

// "/FASTSCAN" among the arguments, in any case; others are ignored.
bool ParseCommandLine(int argc, char** argv);

}  // namespace snapshot
