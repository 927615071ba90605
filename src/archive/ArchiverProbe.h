#pragma once
// Finds out which archiver libraries are installed, usable and idle. Every probe loads the
// libraries it asks and releases them again before it returns.

#include <string>

namespace mv {

enum TAHtype {
    AHUnknown,
    AHLha,
    AHZip,
    AHCab,
    AHArj,
    AHRar,
    AHYz1,
    AHJack,
    AHBga,
    AHTar,
    AHTargz,
    AHTarz,
    AHGz,
    AHZ,
    AHTarbz2,
    AHBz2,
    AHCPIO,
    AHCPIOGZ,
    AHCPIOZ,
    AHCPIOBZ2,
    AHAR,
    AHARGZ,
    AHARZ,
    AHARBZ2,
    AHGca,
    AHBel
};

// A library's version number as text: number / 100 in shortest form (267 -> "2.67",
// 200 -> "2"), "0" for 0.
std::string VersionText(unsigned number);

class TArcHelp {
public:
    // The LHA probe: Unlha32Version and CanUselha. The library counts as usable only when it
    // loads, is not busy and reports a version above 0.
    void ProbeLha();
    // Every probe, in order: LHA, CAB, UNZIP, ZIP, LMZIP/ZCRYPT, BZ2/TAR, ARJ, RAR, ISH, BGA,
    // JACK, YZ1, GCA, BEL.
    void ProbeAll();

#define MV_ARCHELP_PROPERTY(Type, Name, Initial)                                                   \
public:                                                                                            \
    Type Name() const {                                                                            \
        return Name##_;                                                                            \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    Type Name##_ = Initial;

    MV_ARCHELP_PROPERTY(std::string, Unlha32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Cab32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Unzip32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Tar32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Zip32jVersion, "0")
    MV_ARCHELP_PROPERTY(std::string, Izip32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Lmzip32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Unarj32jVersion, "0")
    MV_ARCHELP_PROPERTY(std::string, Unrar32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, ish32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Bz2libVersion, "0")
    MV_ARCHELP_PROPERTY(std::string, Zcrypt32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Jack32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Bga32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, UnGca32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, UnBel32Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Yz1Version, "0")
    MV_ARCHELP_PROPERTY(std::string, Yyz32Version, "0")

    MV_ARCHELP_PROPERTY(bool, ExistsSfxYz1, false)
    MV_ARCHELP_PROPERTY(bool, ExistsSfxYyz, false)
    MV_ARCHELP_PROPERTY(bool, ExistsSfx32Gui, false)
    MV_ARCHELP_PROPERTY(bool, ExistsKmtarSef, false)
    MV_ARCHELP_PROPERTY(bool, ExistsUnrar16, false)

    MV_ARCHELP_PROPERTY(bool, CanUselha, false)
    MV_ARCHELP_PROPERTY(bool, CanUseCab, false)
    MV_ARCHELP_PROPERTY(bool, CanUseCabSfx, false)
    MV_ARCHELP_PROPERTY(bool, CanMakeZip, false)
    MV_ARCHELP_PROPERTY(bool, CanUseUnzip, false)
    MV_ARCHELP_PROPERTY(bool, CanUseZcrypt, false)
    MV_ARCHELP_PROPERTY(bool, CanMakeZipSfx, false)
    MV_ARCHELP_PROPERTY(bool, CanUseTar, false)
    MV_ARCHELP_PROPERTY(bool, CanUseBz2, false)
    MV_ARCHELP_PROPERTY(bool, CanUseRpm, false)
    MV_ARCHELP_PROPERTY(bool, CanMakeTarSfx, false)
    MV_ARCHELP_PROPERTY(bool, CanUseUnarj, false)
    MV_ARCHELP_PROPERTY(bool, CanUseUnrar, false)
    MV_ARCHELP_PROPERTY(bool, CanUseIsh, false)
    MV_ARCHELP_PROPERTY(bool, CanUseJack, false)
    MV_ARCHELP_PROPERTY(bool, CanUseBga, false)
    MV_ARCHELP_PROPERTY(bool, CanUseYz1, false)
    MV_ARCHELP_PROPERTY(bool, CanMakeYz1Sfx, false)
    MV_ARCHELP_PROPERTY(bool, CanUseUnGca, false)
    MV_ARCHELP_PROPERTY(bool, CanUseUnBel, false)

    // The library the shared loader opens next.
    MV_ARCHELP_PROPERTY(TAHtype, AHArctype, AHLha)
#undef MV_ARCHELP_PROPERTY

private:
    // Opens the library AHArctype selects (after setting it to `type`), asks its running
    // function (none for BEL) and `versionFunction`; 0 when missing, busy or incomplete.
    unsigned SharedProbe(TAHtype type, const char* versionFunction);
    void ProbeCab();
    void ProbeUnzip();
    void ProbeZip();
    void ProbeLmzip();
    void ProbeTar();
    void ProbeArj();
    void ProbeRar();
    void ProbeIsh();
    void ProbeBga();
    void ProbeJack();
    void ProbeYz1();
    void ProbeGca();
    void ProbeBel();
};

} // namespace mv
