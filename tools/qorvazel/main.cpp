// qorvazel: reads, checks and changes a settings file without the game.
// The entry point takes the command line as UTF-8 and runs it.
#include "command_line.h"
#include "file_report.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "text/utf.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

#ifdef _WIN32
int main()
{
    // The command line in UTF-16, whatever the code page; everything inside
    // is UTF-8. Output is binary, so that a dump holds LF line ends only.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> argv;
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const std::wstring_view argument(wide[i]);
        argv.push_back(qorva_zel::ToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    LocalFree(wide);
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        return qorvazel::Run(argv);
    } catch (const std::exception& error) {
        std::cerr << "qorvazel: " << error.what() << "\n";
        return qorvazel::kExitFile;
    }
}
#else
int main(int argc, char** argv)
{
    try {
        return qorvazel::Run(std::vector<std::string>(argv, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "qorvazel: " << error.what() << "\n";
        return qorvazel::kExitFile;
    }
}
#endif
