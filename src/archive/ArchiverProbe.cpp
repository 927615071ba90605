#include "ArchiverProbe.h"

#include "platform/library.h"

#include <QString>

namespace mv {
namespace {

// Loads a library and asks it. `running` may be null (no busy check). 0 when the library is
// missing, busy, or lacks a function; the library is released on every path.
unsigned probeLibrary(const char* libraryName, const char* running, const char* version) {
    library::Handle h = library::load(libraryName);
    if (!h) return 0;
    struct Release {
        library::Handle h;
        ~Release() { library::release(h); }
    } release{h};
    if (running) {
        auto isRunning = reinterpret_cast<int (*)()>(library::symbol(h, running));
        // Any non-zero answer is busy, not only one in the low byte.
        if (!isRunning || isRunning() != 0) return 0;
    }
    auto getVersion = reinterpret_cast<unsigned short (*)()>(library::symbol(h, version));
    return getVersion ? getVersion() : 0;
}

bool present(const char* file) {
    library::Handle h = library::load(file);
    if (h) library::release(h);
    return h != nullptr;
}

struct SharedLibrary {
    const char* library;
    const char* running; // null: no busy check
};

SharedLibrary sharedLibraryOf(TAHtype type) {
    switch (type) {
    case AHLha:
        return {"UNLHA32.DLL", "UnlhaGetRunning"};
    case AHZip:
        return {"UNZip32.DLL", "UnZipGetRunning"};
    case AHCab:
        return {"CAB32.DLL", "CabGetRunning"};
    case AHArj:
        return {"Unarj32j.DLL", "UnarjGetRunning"};
    case AHRar:
        return {"UnRar32.DLL", "UnrarGetRunning"};
    case AHYz1:
        return {"Yz1.DLL", "Yz1GetRunning"};
    case AHJack:
        return {"Jack32.DLL", "JackGetRunning"};
    case AHBga:
        return {"Bga32.DLL", "BgaGetRunning"};
    case AHGca:
        return {"UnGca32.DLL", "UnGCAGetRunning"};
    case AHBel:
        return {"UnBel32.DLL", nullptr};
    case AHUnknown:
        return {nullptr, nullptr};
    default:
        return {"Tar32.DLL", "TarGetRunning"}; // the tar family
    }
}

} // namespace

std::string VersionText(unsigned number) {
    return QString::number(number / 100.0, 'g', 15).toStdString();
}

unsigned TArcHelp::SharedProbe(TAHtype type, const char* versionFunction) {
    AHArctype_ = type;
    const SharedLibrary lib = sharedLibraryOf(type);
    return lib.library ? probeLibrary(lib.library, lib.running, versionFunction) : 0;
}

void TArcHelp::ProbeLha() {
    Unlha32Version_ = "0";
    CanUselha_ = false;
    const unsigned v = SharedProbe(AHLha, "UnlhaGetVersion");
    Unlha32Version_ = VersionText(v);
    CanUselha_ = v > 0;
}

void TArcHelp::ProbeCab() {
    const unsigned v = SharedProbe(AHCab, "CabGetVersion");
    Cab32Version_ = VersionText(v);
    CanUseCab_ = v > 0;
    CanUseCabSfx_ = v >= 90;
}

void TArcHelp::ProbeUnzip() {
    const unsigned v = SharedProbe(AHZip, "UnZipGetVersion");
    Unzip32Version_ = VersionText(v);
    CanUseUnzip_ = v > 0;
}

void TArcHelp::ProbeZip() {
    const unsigned zip = probeLibrary("ZIP32J.DLL", "ZipGetRunning", "ZipGetVersion");
    const unsigned izip = probeLibrary("IZIP32J.DLL", nullptr, "IZip32JGetVersion");
    Zip32jVersion_ = VersionText(zip);
    Izip32Version_ = VersionText(izip);
    ExistsSfx32Gui_ = present("Sfx32Gui.dat");
    CanMakeZip_ = zip > 0 && izip > 0;
    CanMakeZipSfx_ = CanMakeZip_ && ExistsSfx32Gui_;
}

void TArcHelp::ProbeLmzip() {
    const unsigned lmzip = probeLibrary("LMZIP32.DLL", "UnzipGetRunning", "UnzipGetVersion");
    const unsigned zcrypt = probeLibrary("Zcrypt32.dll", nullptr, "ZCrypt32GetVersion");
    Lmzip32Version_ = VersionText(lmzip);
    Zcrypt32Version_ = VersionText(zcrypt);
    if (lmzip > 0) CanUseUnzip_ = true;
    CanUseZcrypt_ = zcrypt > 0 && CanMakeZip_;
}

void TArcHelp::ProbeTar() {
    const unsigned bz2 = probeLibrary("Bz2lib.DLL", "BZ2GetRunning", "BZ2GetVersion");
    Bz2libVersion_ = VersionText(bz2);
    CanUseBz2_ = bz2 > 0;
    const unsigned tar = SharedProbe(AHTar, "TarGetVersion");
    Tar32Version_ = VersionText(tar);
    CanUseTar_ = tar > 0;
    ExistsKmtarSef_ = present("KmtarSef.exe");
    CanMakeTarSfx_ = CanUseTar_ && ExistsKmtarSef_;
    if (tar > 50) CanUseBz2_ = true;
    CanUseRpm_ = tar >= 210;
}

void TArcHelp::ProbeArj() {
    const unsigned v = SharedProbe(AHArj, "UnarjGetVersion");
    Unarj32jVersion_ = VersionText(v);
    CanUseUnarj_ = v > 0;
}

void TArcHelp::ProbeRar() {
    const unsigned v = SharedProbe(AHRar, "UnrarGetVersion");
    Unrar32Version_ = VersionText(v);
    ExistsUnrar16_ = present("unrar.dll");
    CanUseUnrar_ = v > 0 && ExistsUnrar16_;
}

void TArcHelp::ProbeIsh() {
    const unsigned v = probeLibrary("ISH32.DLL", "IshGetRunning", "IshGetVersion");
    ish32Version_ = VersionText(v);
    CanUseIsh_ = v > 0;
}

void TArcHelp::ProbeBga() {
    const unsigned v = SharedProbe(AHBga, "BgaGetVersion");
    Bga32Version_ = VersionText(v);
    CanUseBga_ = v > 0;
}

void TArcHelp::ProbeJack() {
    const unsigned v = SharedProbe(AHJack, "JackGetVersion");
    Jack32Version_ = VersionText(v);
    CanUseJack_ = v > 0;
}

void TArcHelp::ProbeYz1() {
    const unsigned yz1 = SharedProbe(AHYz1, "Yz1GetVersion");
    const bool yyz = present("yyz32.dll");
    Yz1Version_ = VersionText(yz1);
    Yyz32Version_ = yyz ? "0.01" : "0";
    ExistsSfxYz1_ = present("yzdec.exe");
    ExistsSfxYyz_ = present("yzw32cui.sfx");
    CanMakeYz1Sfx_ = (yz1 > 0 && ExistsSfxYz1_) || (yyz && ExistsSfxYyz_);
    CanUseYz1_ = yz1 > 0 || yyz;
}

void TArcHelp::ProbeGca() {
    const unsigned v = SharedProbe(AHGca, "UnGCAGetVersion");
    UnGca32Version_ = VersionText(v);
    CanUseUnGca_ = v > 0;
}

void TArcHelp::ProbeBel() {
    const unsigned v = SharedProbe(AHBel, "UnbelGetVersion");
    UnBel32Version_ = VersionText(v);
    CanUseUnBel_ = v > 0;
}

void TArcHelp::ProbeAll() {
    ProbeLha();
    ProbeCab();
    ProbeUnzip();
    ProbeZip();
    ProbeLmzip();
    ProbeTar();
    ProbeArj();
    ProbeRar();
    ProbeIsh();
    ProbeBga();
    ProbeJack();
    ProbeYz1();
    ProbeGca();
    ProbeBel();
}

} // namespace mv
