// The extension tables, the ordered lookups on them and the hashed kind lookup used while walking folders.
#include "model/FileKinds.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace vellumry {

// The tables are constexpr so the hash table below can be built from them at compile time; the extern
// declarations in the header keep them visible to the rest of the program.
constexpr const char *const kImageTypes[] = {
    "HEIC", "HEIF",  "3DM",  "3DMF",         "3DS",  "3FR", "ABM",  "AFX",  "AI",      "ANI",  "ART", "ARW",
    "BLD",  "BLEND", "BMP",  "BOO",          "BR5",  "CDR", "CDR",  "CDT",  "CGM",     "CIFF", "CLP", "CMX",
    "CONT", "CPT",   "CR2",  "CR3",          "CRW",  "CUR", "CVX",  "DCM",  "DCR",     "DCR",  "DIB", "DNG",
    "DRW",  "DS4",   "DSC",  "DT2",          "DWF",  "DWG", "EMF",  "EMZ",  "ERF",     "FH8",  "FLC", "FOV",
    "FPF",  "FPX",   "FUJI", "FXG",          "GIF",  "HDP", "HPI",  "ICNS", "ICO",     "IDML", "IFF", "IMG",
    "INX",  "IPX",   "ISD",  "ITC2",         "IV",   "JP2", "JPEG", "JPG",  "JPX",     "K25",  "KDC", "LBM",
    "MA",   "MAX",   "MB",   "MDI",          "MDL",  "MDX", "MINO", "MNG",  "MOS",     "MRW",  "MSP", "NCR",
    "NEF",  "OBJ",   "ORF",  "PAL",          "PAT",  "PBM", "PCS",  "PCT",  "PCX",     "PEF",  "FFF", "NRW",
    "PGM",  "PIC",   "PICT", "PICTCLIPPING", "PNG",  "PPM", "PSD",  "PSP",  "PSPIMGE", "PTX",  "PXN", "QXD",
    "RAF",  "RAS",   "RAW",  "RELS",         "RGB",  "RLE", "RTD",  "RW2",  "SCT",     "SHP",  "SKF", "SKP",
    "SR2",  "SRF",   "STP",  "SVG",          "SVGZ", "TEX", "TGA",  "THM",  "TIF",     "TIFF", "VWX", "WB1",
    "WBC",  "WBD",   "WBMP", "WBZ",          "WEBP", "WMF", "WP",   "WPG",  "X3F",     "XBM",  "XCF", "XPM",
    "XPS",  "",
};

constexpr const char *const kVideoTypes[] = {
    "HEVC",  "3G2",      "3GP", "ANM",       "ASF", "ASX",  "AVI",  "AVS",  "CLK",    "CPI",   "DIVX", "DMSM",
    "DREAM", "DVDMEDIA", "DVM", "DVR-MS",    "DXR", "F4V",  "FBR",  "FLA",  "FLV",    "HDMOV", "M2P",  "M2TS",
    "M4P",   "M4V",      "MKV", "MOD",       "MOI", "MOV",  "MP4",  "MPE",  "MPEG",   "MPG",   "MXF",  "OGM",
    "PSH",   "QT",       "QTM", "RCPROJECT", "RM",  "RMVB", "SCM",  "SMIL", "SMJPEG", "SRT",   "STX",  "SWF",
    "TIX",   "TS",       "VOB", "VRO",       "WMV", "WTV",  "XVID", "YUV",  "",
};

constexpr const char *const kAudioTypes[] = {
    "AMR", "AUD",  "RAM", "RFL",  "RMI", "RNS", "RPS", "SIB",  "SND", "VPM", "WAV",  "WMA",  "AA3", "AAC",
    "AC3", "AFC",  "AIF", "AIFF", "AM",  "AT3", "AU",  "CAF",  "CDA", "CPF", "DMSA", "DMSE", "DSS", "EMP",
    "EMX", "FLAC", "KPI", "M3D",  "M4A", "M4R", "MID", "MIDI", "MP3", "OGG", "OMF",  "PTF",  "",
};

constexpr const char *const kDocumentTypes[] = {
    "123", "12M",     "1ST",  "3DA", "3TF",  "3WS",  "ABD",  "ADX", "AMI", "APP", "C",     "CAS", "CBK",
    "CLA", "CLS",     "CLY",  "CPP", "CWK",  "DOC",  "DOCX", "DOT", "EPS", "ETP", "FB2",   "FM3", "FMT",
    "GHO", "H",       "INDT", "JOB", "KEY",  "INDD", "LIT",  "LOG", "LWP", "M",   "MCD",   "MDZ", "MM",
    "MPT", "NUMBERS", "ODP",  "ODS", "ODG",  "ODF",  "ODB",  "ODT", "ONE", "OTP", "PAGES", "PDF", "Plist",
    "PMD", "POT",     "POTX", "PPS", "PPSX", "PPT",  "PPTX", "PRZ", "PS",  "PUB", "PWI",   "PYC", "PYD",
    "QBB", "QDF",     "QSD",  "QXP", "RESX", "RTF",  "SCPT", "SDW", "SDY", "SIG", "SLN",   "SUO", "SXC",
    "SXD", "SXI",     "SXW",  "TOC", "TXT",  "VBP",  "VRD",  "VSD", "VSS", "VST", "WFA",   "WK1", "WK3",
    "WK4", "WP6",     "WPD",  "WPS", "WRI",  "XLS",  "XLSX", "XLT", "",
};

constexpr const char *const kArchiveTypes[] = {
    "7Z",  "ACE",     "ALZ", "ARC", "ARJ", "BZ",  "Bzip", "CAB",  "DBS", "DEB", "GZ",
    "JAR", "KRYPTER", "LZA", "LZH", "MSI", "PF",  "PUP",  "RAR",  "RPM", "SEA", "SFX",
    "SIT", "SITX",    "SOR", "TAR", "TGZ", "WAR", "ZIP",  "ZIPX", "ZOO", "",
};

constexpr const char *const kInstallPackageTypes[] = {"DMG", "PKG", ""};

namespace {

constexpr char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr std::size_t entryCount(const char *const *table)
{
    std::size_t n = 0;
    while (table[n][0] != '\0')
        ++n;
    return n;
}

// Whole-text equality that folds only the ASCII letters A-Z; every other byte must match exactly.
bool equalsIgnoringAsciiCase(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        if (asciiLower(*a) != asciiLower(*b))
            return false;
        if (*a == '\0')
            return true;
    }
}

int positionIn(const char *const *table, const char *ext)
{
    if (ext == nullptr || *ext == '\0')
        return -1;
    for (int i = 0; table[i][0] != '\0'; ++i) {
        if (equalsIgnoringAsciiCase(table[i], ext))
            return i;
    }
    return -1;
}

// ---- The hashed kind lookup ----
//
// Every table entry, lower-cased, is placed in an open-addressing hash table built at compile time. The
// tables are inserted in the order the kinds are tried and an extension already present keeps its first
// kind, so a hit gives the same kind as the ordered lookups. Only ASCII letters are folded on both sides,
// and no entry is longer than kMaxKeyLength, so longer extensions are Other without hashing.

struct KindTable
{
    const char *const *entries;
    FileKind kind;
};

constexpr KindTable kLookupOrder[] = {
    {kImageTypes, FileKind::Image},     {kAudioTypes, FileKind::Audio},
    {kVideoTypes, FileKind::Video},     {kDocumentTypes, FileKind::Document},
    {kArchiveTypes, FileKind::Archive}, {kInstallPackageTypes, FileKind::InstallPackage},
};

constexpr std::size_t kMaxKeyLength = 12;
constexpr std::size_t kSlotCount = 1024; // a power of two, well above the number of entries
constexpr std::size_t kSlotMask = kSlotCount - 1;

struct Slot
{
    std::array<char, kMaxKeyLength> key{};
    quint8 length = 0; // 0 marks an empty slot
    FileKind kind = FileKind::Other;
};

// FNV-1a, one step per byte.
constexpr quint32 kHashSeed = 2166136261u;
constexpr quint32 hashStep(quint32 h, char c)
{
    return (h ^ static_cast<unsigned char>(c)) * 16777619u;
}

constexpr std::size_t longestEntry()
{
    std::size_t longest = 0;
    for (const KindTable &t : kLookupOrder) {
        for (std::size_t i = 0; t.entries[i][0] != '\0'; ++i) {
            std::size_t n = 0;
            while (t.entries[i][n] != '\0')
                ++n;
            longest = n > longest ? n : longest;
        }
    }
    return longest;
}
static_assert(longestEntry() <= kMaxKeyLength);

constexpr std::size_t totalEntries()
{
    std::size_t total = 0;
    for (const KindTable &t : kLookupOrder)
        total += entryCount(t.entries);
    return total;
}
static_assert(totalEntries() * 2 < kSlotCount, "keep the hash table at most half full");

using SlotArray = std::array<Slot, kSlotCount>;

constexpr SlotArray buildSlots()
{
    SlotArray slots{};
    for (const KindTable &t : kLookupOrder) {
        for (std::size_t i = 0; t.entries[i][0] != '\0'; ++i) {
            Slot entry;
            quint32 h = kHashSeed;
            for (const char *p = t.entries[i]; *p != '\0'; ++p) {
                entry.key[entry.length++] = asciiLower(*p);
                h = hashStep(h, asciiLower(*p));
            }
            entry.kind = t.kind;
            std::size_t s = h & kSlotMask;
            for (;; s = (s + 1) & kSlotMask) {
                Slot &slot = slots[s];
                if (slot.length == 0) {
                    slot = entry;
                    break;
                }
                if (slot.length == entry.length && slot.key == entry.key)
                    break; // already present under an earlier (or the same) kind
            }
        }
    }
    return slots;
}

constexpr SlotArray kSlots = buildSlots();

} // namespace

QString kindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Image:
        return QStringLiteral("Image");
    case FileKind::Audio:
        return QStringLiteral("Audio");
    case FileKind::Video:
        return QStringLiteral("Video");
    case FileKind::Document:
        return QStringLiteral("Document");
    case FileKind::Archive:
        return QStringLiteral("Archive");
    case FileKind::InstallPackage:
        return QStringLiteral("Install Package");
    case FileKind::Other:
        return QStringLiteral("Other");
    case FileKind::Application:
        return QStringLiteral("Application");
    case FileKind::Folder:
        return QStringLiteral("Folder");
    }
    return QString();
}

std::optional<FileKind> kindFromName(QStringView name)
{
    static constexpr FileKind kAll[] = {FileKind::Image,    FileKind::Audio,       FileKind::Video,
                                        FileKind::Document, FileKind::Archive,     FileKind::InstallPackage,
                                        FileKind::Other,    FileKind::Application, FileKind::Folder};
    for (FileKind kind : kAll) {
        if (name == kindName(kind))
            return kind;
    }
    return std::nullopt;
}

int GetImageType(const char *ext)
{
    return positionIn(kImageTypes, ext);
}

int GetVideoType(const char *ext)
{
    return positionIn(kVideoTypes, ext);
}

int GetAudioType(const char *ext)
{
    return positionIn(kAudioTypes, ext);
}

int GetDocumentType(const char *ext)
{
    return positionIn(kDocumentTypes, ext);
}

int GetArchiveType(const char *ext)
{
    return positionIn(kArchiveTypes, ext);
}

int GetInstallPackageType(const char *ext)
{
    return positionIn(kInstallPackageTypes, ext);
}

QStringList GetImageArray()
{
    static constexpr const char *const *kTables[] = {kImageTypes, kVideoTypes, kAudioTypes, kDocumentTypes,
                                                     kArchiveTypes};
    QStringList list;
    std::size_t total = 0;
    for (const char *const *table : kTables)
        total += entryCount(table);
    list.reserve(static_cast<qsizetype>(total));
    for (const char *const *table : kTables) {
        for (std::size_t i = 0; table[i][0] != '\0'; ++i)
            list.append(QLatin1StringView(table[i]));
    }
    return list;
}

std::string_view extensionOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return name.substr(dot + 1);
}

FileKind kindForExtension(std::string_view ext)
{
    std::array<char, kMaxKeyLength> key{};
    std::size_t length = 0;
    quint32 h = kHashSeed;
    for (const char c : ext) {
        if (c == '\0')
            break; // the ordered lookups see a C string, which ends here
        if (length == kMaxKeyLength)
            return FileKind::Other; // longer than every entry
        const char lower = asciiLower(c);
        key[length++] = lower;
        h = hashStep(h, lower);
    }
    if (length == 0)
        return FileKind::Other;
    for (std::size_t s = h & kSlotMask;; s = (s + 1) & kSlotMask) {
        const Slot &slot = kSlots[s];
        if (slot.length == 0)
            return FileKind::Other;
        if (slot.length == length && std::memcmp(slot.key.data(), key.data(), length) == 0)
            return slot.kind;
    }
}

FileKind kindForFileName(std::string_view name)
{
    return kindForExtension(extensionOf(name));
}

} // namespace vellumry
