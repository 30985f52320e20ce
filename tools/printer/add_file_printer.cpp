// add_file_printer.exe: gives the Wine prefix it runs in a PostScript printer, "Tessaly PS",
// on port LPT1:, and makes it the default printer. Wine's spooler sends what LPT1: receives
// to the Unix file named by HKCU\Software\Wine\Printing\Spooler "LPT1:", which
// tools/ci/wine-printer.sh sets, so every job a program prints lands in that file.
//
// The driver is Wine's PostScript driver, wineps.drv, with the generic PPD that winspool.drv
// carries as resource PPDFILE #1. A program in a Windows 9x version setting looks drivers
// and print processors up in the "Windows 4.0" environment (without the driver there,
// PrintDlgA cannot return the default printer), so the driver is added to that environment
// as well as to the NT environment of the process's own bitness ("Windows NT x86", or
// "Windows x64" in the 64-bit build: a printer needs the driver of its own environment).
// The printer uses the "winprint" print processor, whose winprint.dll is copied to the 9x
// processor directory too: with Wine's own "wineps" processor EndDoc fails. The print
// dialog of a 9x program loads the driver's config module from the 9x driver directory's
// version-3 folder, where the spooler puts no copy (without it DocumentProperties fails and
// the dialog's OK button does nothing), so the NT driver's wineps.drv is copied there. The
// copies come from the NT environment, so they have the bitness of the program loading them.
//
// Running it again succeeds, and puts back these settings if something changed them. Exit
// code 0 on success; otherwise one line on standard error names the step that failed.
//
//   add_file_printer.exe [--resolution=DPI]
//     --resolution  another printer, "Tessaly PS DPI dpi", with the same driver on the same
//                   port, whose default device mode prints at DPI dots per inch (a
//                   resolution of the generic PPD: 150, 300, 600, 1200 or 2400); it becomes
//                   the default printer. Without it, Wine's driver prints at 300 dpi.
#include <windows.h>
// After windows.h, which it builds on.
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kPrinterName[] = "Tessaly PS";
constexpr char kDriverName[] = "Tessaly PostScript";
constexpr char kPpdName[] = "tessaly.ppd";
constexpr char kPort[] = "LPT1:";
constexpr char kProcessor[] = "winprint";
#if defined(_WIN64)
constexpr char kNtEnvironment[] = "Windows x64";
#else
constexpr char kNtEnvironment[] = "Windows NT x86";
#endif
constexpr char kWin9xEnvironment[] = "Windows 4.0";

// The printer's name: "Tessaly PS", or "Tessaly PS 600 dpi" for one of its own resolution.
std::string PrinterName(int resolution) {
    std::string name = kPrinterName;
    if (resolution > 0)
        name += " " + std::to_string(resolution) + " dpi";
    return name;
}

// A failed step: what was being done and the system's error code.
struct Failure {
    std::string what;
    DWORD code;
};

Failure Failed(std::string what) {
    return {std::move(what), ::GetLastError()};
}

// The printer driver directory of an environment ("...\spool\drivers\w32x86").
bool DriverDirectory(const char* environment, std::string& dir, Failure& failure) {
    char buffer[MAX_PATH];
    DWORD needed = 0;
    if (!::GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                      reinterpret_cast<BYTE*>(buffer), sizeof buffer, &needed)) {
        failure = Failed("GetPrinterDriverDirectoryA");
        return false;
    }
    dir = buffer;
    return true;
}

// The print processor directory of an environment ("...\spool\prtprocs\w32x86").
bool ProcessorDirectory(const char* environment, std::string& dir, Failure& failure) {
    char buffer[MAX_PATH];
    DWORD needed = 0;
    if (!::GetPrintProcessorDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                       reinterpret_cast<BYTE*>(buffer), sizeof buffer, &needed)) {
        failure = Failed("GetPrintProcessorDirectoryA");
        return false;
    }
    dir = buffer;
    return true;
}

// Writes winspool.drv's generic PPD to `path`.
bool ExtractPpd(const std::string& path, Failure& failure) {
    HMODULE spool = ::LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!spool) {
        failure = Failed("LoadLibraryExA winspool.drv");
        return false;
    }
    HRSRC info = ::FindResourceA(spool, MAKEINTRESOURCEA(1), "PPDFILE");
    HGLOBAL loaded = info ? ::LoadResource(spool, info) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = info ? ::SizeofResource(spool, info) : 0;
    if (!data || size == 0) {
        failure = Failed("the PPDFILE resource of winspool.drv");
        ::FreeLibrary(spool);
        return false;
    }
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, data, size, &written, nullptr) && written == size;
    if (!ok)
        failure = Failed("writing " + path);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    ::FreeLibrary(spool);
    return ok;
}

// Adds the driver to one environment, with the PPD in that environment's driver directory,
// from where the spooler copies it next to the driver.
bool AddDriver(const char* environment, Failure& failure) {
    std::string driverDir;
    if (!DriverDirectory(environment, driverDir, failure))
        return false;
    const std::string ppd = driverDir + "\\" + kPpdName;
    if (!ExtractPpd(ppd, failure))
        return false;
    DRIVER_INFO_3A info = {};
    info.cVersion = 3;
    info.pName = const_cast<char*>(kDriverName);
    info.pEnvironment = const_cast<char*>(environment);
    info.pDriverPath = const_cast<char*>("wineps.drv");
    info.pDataFile = const_cast<char*>(ppd.c_str());
    info.pConfigFile = const_cast<char*>("wineps.drv");
    info.pDefaultDataType = const_cast<char*>("RAW");
    if (!::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES) &&
        ::GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        failure = Failed(std::string("AddPrinterDriverExA for ") + environment);
        return false;
    }
    return true;
}

// Adds the printer, or brings an existing one back to these settings.
bool AddPrinter(const std::string& name, Failure& failure) {
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char*>(name.c_str());
    info.pPortName = const_cast<char*>(kPort);
    info.pDriverName = const_cast<char*>(kDriverName);
    info.pPrintProcessor = const_cast<char*>(kProcessor);
    info.pDatatype = const_cast<char*>("RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer) {
        ::ClosePrinter(printer);
        return true;
    }
    if (::GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        failure = Failed("AddPrinterA");
        return false;
    }
    PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!::OpenPrinterA(const_cast<char*>(name.c_str()), &printer, &access)) {
        failure = Failed("OpenPrinterA");
        return false;
    }
    const bool ok = ::SetPrinterA(printer, 2, reinterpret_cast<BYTE*>(&info), 0);
    if (!ok)
        failure = Failed("SetPrinterA");
    ::ClosePrinter(printer);
    return ok;
}

// Makes `resolution` dpi the printer's default: its default device mode, the one every
// print dialog starts from, asks for that print quality (Wine's PostScript driver takes
// the resolution from the device mode, not from the PPD's default). Both the printer's
// global default and the user's are set.
bool SetDefaultResolution(const std::string& printerName, int resolution, Failure& failure) {
    std::wstring name(printerName.begin(), printerName.end());
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(name.data(), &printer, &access)) {
        failure = Failed("OpenPrinterW");
        return false;
    }
    bool ok = false;
    const LONG size = ::DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
    if (size > 0) {
        std::vector<BYTE> buffer(static_cast<std::size_t>(size));
        auto* mode = reinterpret_cast<DEVMODEW*>(buffer.data());
        if (::DocumentPropertiesW(nullptr, printer, name.data(), mode, nullptr, DM_OUT_BUFFER) ==
            IDOK) {
            mode->dmPrintQuality = static_cast<short>(resolution);
            mode->dmYResolution = static_cast<short>(resolution);
            mode->dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
            ::DocumentPropertiesW(nullptr, printer, name.data(), mode, mode,
                                  DM_IN_BUFFER | DM_OUT_BUFFER);
            PRINTER_INFO_8W global = {mode};
            PRINTER_INFO_9W perUser = {mode};
            ok = ::SetPrinterW(printer, 8, reinterpret_cast<BYTE*>(&global), 0) &&
                 ::SetPrinterW(printer, 9, reinterpret_cast<BYTE*>(&perUser), 0);
        }
    }
    if (!ok)
        failure = Failed("setting the default device mode");
    ::ClosePrinter(printer);
    return ok;
}

// Copies `from` into the directory `dir` (made when missing) as `name`.
bool CopyInto(const std::string& from, const std::string& dir, const char* name, Failure& failure) {
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string to = dir + "\\" + name;
    if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        failure = Failed("copying " + from + " to " + to);
        return false;
    }
    return true;
}

bool Install(int resolution, Failure& failure) {
    const std::string name = PrinterName(resolution);
    if (!AddDriver(kNtEnvironment, failure) || !AddDriver(kWin9xEnvironment, failure) ||
        !AddPrinter(name, failure))
        return false;
    if (resolution > 0 && !SetDefaultResolution(name, resolution, failure))
        return false;
    if (!::SetDefaultPrinterA(name.c_str())) {
        failure = Failed("SetDefaultPrinterA");
        return false;
    }
    std::string ntDir;
    std::string win9xDir;
    if (!ProcessorDirectory(kNtEnvironment, ntDir, failure) ||
        !ProcessorDirectory(kWin9xEnvironment, win9xDir, failure))
        return false;
    if (!CopyInto(ntDir + "\\winprint.dll", win9xDir, "winprint.dll", failure))
        return false;
    std::string ntDriverDir;
    std::string win9xDriverDir;
    if (!DriverDirectory(kNtEnvironment, ntDriverDir, failure) ||
        !DriverDirectory(kWin9xEnvironment, win9xDriverDir, failure))
        return false;
    return CopyInto(ntDriverDir + "\\3\\wineps.drv", win9xDriverDir + "\\3", "wineps.drv", failure);
}

}  // namespace

int main(int argc, char** argv) {
    int resolution = 0;
    const std::string option = "--resolution=";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind(option, 0) == 0)
            resolution = std::atoi(argument.c_str() + option.size());
        if (argument.rfind(option, 0) != 0 || resolution <= 0) {
            std::fprintf(stderr, "usage: add_file_printer.exe [--resolution=DPI]\n");
            return 2;
        }
    }
    Failure failure;
    if (!Install(resolution, failure)) {
        std::fprintf(stderr, "add_file_printer: %s failed (error %lu)\n", failure.what.c_str(),
                     static_cast<unsigned long>(failure.code));
        return 1;
    }
    return 0;
}
