// formsample: a small form program. It shows a splash form that closes
// itself, then its main form; set VPR_UI_SCRIPT to drive it by script
// (README "Driving a form program by script").
#include <iostream>

#include "sample_forms.h"

using namespace vpr::forms;

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--help") {
        std::cout << "usage: formsample\n"
                     "  A form program of the form library: a splash form, then a main form with two pages.\n"
                     "  VPR_UI_SCRIPT=FILE runs the script in FILE against it.\n";
        return 0;
    }
    sample::Log = [](const std::string& text) { std::cout << "sample: " << text << "\n"; };
    InitApplication();
    Application->Title = "Form sample";
    Application->HelpFile = "C:\\WINDOWS\\SAMPLE.HLP";
    auto* splash = NewForm<sample::TfrmSplash>(nullptr);
    splash->ShowModal();
    splash->Free();
    Application->CreateForm<sample::TfrmSample>();
    Application->Run();
    return 0;
}
