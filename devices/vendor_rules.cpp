// The vendor normalization rules in their order. Each line is one rule;
// the numbers are the rules' places in the order, kept for reading.
#include "devices/vendor_rules.h"

namespace tav::vendor_rules {

namespace {

using enum Test;

constexpr Condition kFirst1[] = {{kStartsWith, "Brother"}};
constexpr Condition kFirst2[] = {{kStartsWith, "Canon"}};
constexpr Condition kFirst3[] = {{kContains, "N-TRIG"}};
constexpr Condition kFirst4[] = {{kContains, "RESEARCH IN MOTION"}};
constexpr Condition kFirst5[] = {{kStartsWith, "BLACKBERRY"}};
constexpr Condition kFirst6[] = {{kContains, "DLINK"}, {kContains, "D-LINK"}};
constexpr Condition kFirst7[] = {{kContains, "DISPLAYLINK"}};
constexpr Condition kFirst8[] = {{kContains, "RALINK"}};
constexpr Condition kFirst9[] = {{kStartsWith, "ALI"}};
constexpr Condition kFirst10[] = {{kContains, "C-MEDIA"}};
constexpr Condition kFirst11[] = {{kContains, "E-MU"}, {kStartsWith, "CREA"}};
constexpr Condition kFirst12[] = {{kContains, "Y-E"}, {kContains, "YEDATA"}};
constexpr Condition kFirst13[] = {{kIs, "YED"}};
constexpr Condition kFirst14[] = {{kContains, "(STANDARD"}, {kContains, "(ENHANCED"}, {kIs, "DEFAULT"}};
constexpr Condition kFirst15[] = {{kContains, "ADVANCED MICRO"}, {kContains, "PCIE"}, {kStartsWith, "AMD"}};
constexpr Condition kFirst16[] = {{kContains, "ANALOG"}, {kContains, "DEVICES"}};
constexpr Condition kFirst17[] = {{kContains, "SAM"}, {kContains, "SUNG"}};
constexpr Condition kFirst18[] = {{kContains, "SSF"}, {kIs, "SENS"}, {kIs, "CMC7XX"}, {kIs, "C7XX"}};
constexpr Condition kFirst19[] = {{kIs, "SSUD"}};
constexpr Condition kFirst20[] = {{kContains, "HEWLETT"}, {kContains, "HP_"}, {kContains, "HP="}};
constexpr Condition kFirst21[] = {{kContains, "\"HP\""}, {kStartsWith, "HPPHOTOSMART"}, {kStartsWith, "DESKJET"}, {kContains, "%HP%"}};
constexpr Condition kFirst22[] = {{kContains, "HHP"}, {kContains, "MFP"}, {kStartsWith, "HP"}, {kStartsWith, "HPDESKJET"}};
constexpr Condition kFirst23[] = {{kStartsWith, "HPOFFICEJET"}, {kStartsWith, "OFFICEJET"}, {kStartsWith, "PHOTOSMART"}};
constexpr Condition kFirst24[] = {{kStartsWith, "EGO"}};
constexpr Condition kFirst25[] = {{kContains, "M8UDEV"}, {kContains, "XPMATEDEV"}};
constexpr Condition kFirst26[] = {{kContains, "SOC PC-CAMERA"}};
constexpr Condition kFirst27[] = {{kContains, "ATK"}};
constexpr Condition kFirst28[] = {{kContains, "INFOPRINT"}};

constexpr Condition kReplace1[] = {{kIs, "MSFT"}, {kIs, "MS"}, {kContains, "MICROSOFT"}, {kIs, "STD"}};
constexpr Condition kReplace2[] = {{kContains, "OEM"}, {kIs, "GENERIC"}};
constexpr Condition kReplace3[] = {{kContains, "CREATIVE"}, {kIs, "EMU"}};
constexpr Condition kReplace4[] = {{kContains, "ASUS"}};
constexpr Condition kReplace5[] = {{kContains, "RICOH"}};
constexpr Condition kReplace6[] = {{kContains, "QUALCOMM"}, {kContains, "GOBI"}};
constexpr Condition kReplace7[] = {{kContains, "WINBOND"}};
constexpr Condition kReplace8[] = {{kContains, "ERICSS"}, {kIs, "EMPF3"}, {kIs, "SE"}};
constexpr Condition kReplace9[] = {{kContains, "TEXAS"}, {kIs, "TI"}};
constexpr Condition kReplace10[] = {{kContains, "BISON"}};
constexpr Condition kReplace11[] = {{kContains, "ALLIED"}};
constexpr Condition kReplace12[] = {{kContains, "NOVATEK"}};
constexpr Condition kReplace13[] = {{kContains, "ANDROID"}};
constexpr Condition kReplace14[] = {{kContains, "NETGEAR"}};
constexpr Condition kReplace15[] = {{kContains, "GIGA"}};
constexpr Condition kReplace16[] = {{kContains, "EGALAX"}};
constexpr Condition kReplace17[] = {{kStartsWith, "O2"}, {kIs, "OZSCR"}};
constexpr Condition kReplace18[] = {{kStartsWith, "SRS"}};
constexpr Condition kReplace19[] = {{kStartsWith, "OPTI"}, {kIs, "GLOBETROTTER"}};
constexpr Condition kReplace20[] = {{kContains, "LSI"}};
constexpr Condition kReplace21[] = {{kContains, "ARGOSY"}};
constexpr Condition kReplace22[] = {{kContains, "VIA"}, {kIs, "VNT"}, {kIs, "ICE"}, {kIs, "ENVY"}};
constexpr Condition kReplace23[] = {{kContains, "DELTA"}, {kIs, "VINYL"}};
constexpr Condition kReplace24[] = {{kContains, "AUDIOTRACK"}, {kContains, "AUDIOTR"}, {kIs, "PRODIGY"}};
constexpr Condition kReplace25[] = {{kContains, "IBM"}};
constexpr Condition kReplace26[] = {{kContains, "LG"}};
constexpr Condition kReplace27[] = {{kContains, "ATK"}};
constexpr Condition kReplace28[] = {{kContains, "JVS"}};
constexpr Condition kReplace29[] = {{kContains, "CFOS"}};
constexpr Condition kReplace30[] = {{kContains, "GENI"}, {kIs, "SCROLL"}};
constexpr Condition kReplace31[] = {{kContains, "SONY"}};
constexpr Condition kReplace32[] = {{kContains, "HITACHIG"}};
constexpr Condition kReplace33[] = {{kContains, "QCOMSERIAL"}};
constexpr Condition kReplace34[] = {{kContains, "QLOGIC"}, {kIs, "NETXEN"}};
constexpr Condition kReplace35[] = {{kContains, "DELL"}, {kIs, "GTEKO"}};
constexpr Condition kReplace36[] = {{kStartsWith, "NEC"}, {kIs, "FXI"}};
constexpr Condition kReplace37[] = {{kStartsWith, "LIVE"}};
constexpr Condition kReplace38[] = {{kStartsWith, "SAI"}, {kIs, "MAGICMOUSE"}};
constexpr Condition kReplace39[] = {{kStartsWith, "ITE"}};
constexpr Condition kReplace40[] = {{kContains, "FUJ"}, {kIs, "FSC"}};
constexpr Condition kReplace41[] = {{kIs, "ZTE"}, {kContains, "ZTE "}};
constexpr Condition kReplace42[] = {{kContains, "SIS"}};
constexpr Condition kReplace43[] = {{kContains, "TRID"}};
constexpr Condition kReplace44[] = {{kIs, "S3"}, {kContains, "S3 "}};
constexpr Condition kReplace45[] = {{kContains, "FXI"}};
constexpr Condition kReplace46[] = {{kContains, "ANGEL"}};
constexpr Condition kReplace47[] = {{kContains, "SYNTEK"}};
constexpr Condition kReplace48[] = {{kContains, "ALCOR"}};
constexpr Condition kReplace49[] = {{kContains, "ASMEDIA"}};
constexpr Condition kReplace50[] = {{kStartsWith, "ETRON"}};
constexpr Condition kReplace51[] = {{kStartsWith, "CERTANCE"}};
constexpr Condition kReplace52[] = {{kStartsWith, "FRACTAL"}};
constexpr Condition kReplace53[] = {{kContains, "FEIXUN"}};
constexpr Condition kReplace54[] = {{kStartsWith, "FRESCO"}};
constexpr Condition kReplace55[] = {{kStartsWith, "GENESYS"}};
constexpr Condition kReplace56[] = {{kStartsWith, "NUVOTON"}};
constexpr Condition kReplace57[] = {{kStartsWith, "PLANEX"}};
constexpr Condition kReplace58[] = {{kStartsWith, "RENESAS"}};
constexpr Condition kReplace59[] = {{kStartsWith, "TERRATEC"}};
constexpr Condition kReplace60[] = {{kStartsWith, "SIERRA"}};
constexpr Condition kReplace61[] = {{kStartsWith, "TREND"}};
constexpr Condition kReplace62[] = {{kStartsWith, "XAVI"}};
constexpr Condition kReplace63[] = {{kContains, "MLNX"}, {kContains, "MLX"}, {kIs, "HCA"}, {kIs, "MTL"}};
constexpr Condition kReplace64[] = {{kContains, "TOSHIBA"}, {kIs, "TELI"}};
constexpr Condition kReplace65[] = {{kContains, "MATROX"}, {kContains, "MXE"}};
constexpr Condition kReplace66[] = {{kContains, "SUNPLUS"}, {kContains, "SPL"}};
constexpr Condition kReplace67[] = {{kIs, "INTL"}, {kIs, "INTC"}, {kIs, "MEI"}, {kIs, "ISCT"}};
constexpr Condition kReplace68[] = {{kIs, "IMC"}, {kContains, "INTEL"}, {kContains, "ESG"}, {kIs, "NETEFFECT"}};
constexpr Condition kReplace69[] = {{kStartsWith, "LX"}, {kContains, "LEXMARK"}, {kIs, "MIT"}};
constexpr Condition kReplace70[] = {{kContains, "BRCD"}};
constexpr Condition kReplace71[] = {{kIs, "YA"}, {kIs, "IIYAMA"}};
constexpr Condition kReplace72[] = {{kIs, "JM"}, {kIs, "JMR"}, {kIs, "JMCR"}, {kStartsWith, "JMICRON"}};
constexpr Condition kReplace73[] = {{kIs, "LOGICOOL"}, {kIs, "LOGITEC"}, {kIs, "SETPOINT"}};
constexpr Condition kReplace74[] = {{kIs, "BCOM"}, {kIs, "BRCM"}, {kIs, "BCM"}, {kStartsWith, "BROADCOM"}};
constexpr Condition kReplace75[] = {{kIs, "SYN"}, {kIs, "SN"}};
constexpr Condition kReplace76[] = {{kIs, "ACTIONTEC"}, {kIs, "ACCTON"}};
constexpr Condition kReplace77[] = {{kIs, "VMCAM"}, {kIs, "UVCPCC"}, {kIs, "RICHPOWER"}};
constexpr Condition kReplace78[] = {{kIs, "ACR"}};
constexpr Condition kReplace79[] = {{kIs, "AICHARGERPLUS"}};
constexpr Condition kReplace80[] = {{kIs, "AL"}};
constexpr Condition kReplace81[] = {{kIs, "AST"}};
constexpr Condition kReplace82[] = {{kIs, "BF"}, {kIs, "BAFO"}};
constexpr Condition kReplace83[] = {{kIs, "BR"}};
constexpr Condition kReplace84[] = {{kIs, "CAS"}};
constexpr Condition kReplace85[] = {{kIs, "CP"}};
constexpr Condition kReplace86[] = {{kIs, "CPL"}, {kIs, "EPL"}, {kIs, "ZPL"}};
constexpr Condition kReplace87[] = {{kIs, "MTM"}};
constexpr Condition kReplace88[] = {{kIs, "IO"}};
constexpr Condition kReplace89[] = {{kIs, "FXI"}};
constexpr Condition kReplace90[] = {{kIs, "JL"}};
constexpr Condition kReplace91[] = {{kIs, "MSI"}};
constexpr Condition kReplace92[] = {{kIs, "NWT"}};
constexpr Condition kReplace93[] = {{kIs, "CY"}};
constexpr Condition kReplace94[] = {{kIs, "LITE"}};
constexpr Condition kReplace95[] = {{kIs, "MAD"}};
constexpr Condition kReplace96[] = {{kIs, "MMMTS"}};
constexpr Condition kReplace97[] = {{kIs, "CCDDIRECT"}};
constexpr Condition kReplace98[] = {{kIs, "PCL6"}};
constexpr Condition kReplace99[] = {{kIs, "TC"}, {kIs, "TOUCHCHIP"}, {kIs, "UPEK"}};
constexpr Condition kReplace100[] = {{kIs, "TOUCHSENSE"}};
constexpr Condition kReplace101[] = {{kIs, "WACMT"}};
constexpr Condition kReplace102[] = {{kIs, "WINFAST"}};
constexpr Condition kReplace103[] = {{kIs, "RNDISS"}};
constexpr Condition kReplace104[] = {{kIs, "NVDA"}, {kIs, "AGEIA"}};
constexpr Condition kReplace105[] = {{kIs, "ENECIR"}};
constexpr Condition kReplace106[] = {{kIs, "CXT"}, {kIs, "CAM"}, {kIs, "ICOMP"}};
constexpr Condition kReplace107[] = {{kIs, "SYMC"}};
constexpr Condition kReplace108[] = {{kIs, "RTK"}, {kIs, "RTKAVRCP"}, {kContains, "RTL"}, {kContains, "HDA"}};
constexpr Condition kReplace109[] = {{kStartsWith, "REALT"}};
constexpr Condition kReplace110[] = {{kIs, "CSR"}};
constexpr Condition kReplace111[] = {{kIs, "ADPT"}};
constexpr Condition kReplace112[] = {{kIs, "KB"}, {kIs, "SEIKO"}, {kStartsWith, "SII"}, {kContains, "EPSON"}};
constexpr Condition kReplace113[] = {{kIs, "HTC"}, {kIs, "HT"}};
constexpr Condition kReplace114[] = {{kStartsWith, "KM"}, {kContains, "KYOCERA"}};
constexpr Condition kReplace115[] = {{kIs, "HSF"}};
constexpr Condition kReplace116[] = {{kIs, "XYZBTH"}};
constexpr Condition kReplace117[] = {{kIs, "BST"}, {kContains, "BIOS"}};
constexpr Condition kReplace118[] = {{kIs, "SM"}, {kIs, "SMI"}, {kIs, "SIMG"}, {kContains, "SILICON"}};
constexpr Condition kReplace119[] = {{kIs, "MUSE"}};
constexpr Condition kReplace120[] = {{kIs, "MONSTERTV"}};
constexpr Condition kReplace121[] = {{kIs, "M8U"}, {kIs, "ESU22"}, {kIs, "MAYA44"}, {kIs, "JULI@"}};
constexpr Condition kReplace122[] = {{kIs, "DUAFIRE"}};
constexpr Condition kReplace123[] = {{kStartsWith, "MOT"}, {kIs, "M3AD"}};
constexpr Condition kReplace124[] = {{kIs, "EMA"}, {kContains, "EMACHIN"}};
constexpr Condition kReplace125[] = {{kIs, "RAWETHER"}};
constexpr Condition kReplace126[] = {{kIs, "SRP"}};
constexpr Condition kReplace127[] = {{kIs, "TD"}};
constexpr Condition kReplace128[] = {{kIs, "GWY"}};
constexpr Condition kReplace129[] = {{kIs, "LNVO"}, {kIs, "DTM"}};
constexpr Condition kReplace130[] = {{kIs, "TIUMP"}};
constexpr Condition kReplace131[] = {{kIs, "SMSC"}};
constexpr Condition kReplace132[] = {{kIs, "STM"}};
constexpr Condition kReplace133[] = {{kIs, "UTC"}};
constexpr Condition kReplace134[] = {{kIs, "HCWHDPVR"}};
constexpr Condition kReplace135[] = {{kIs, "SYSKONNECT"}, {kContains, "MARVELL"}};
constexpr Condition kReplace136[] = {{kIs, "ZYAIR"}};
constexpr Condition kReplace137[] = {{kIs, "ALICOM"}, {kIs, "ALICAM"}, {kIs, "ALISDIF"}};
constexpr Condition kReplace138[] = {{kIs, "CISS"}, {kContains, "COMPAQ"}};
constexpr Condition kReplace139[] = {{kIs, "ATITECHNOLOGIES"}, {kIs, "SEC"}};
constexpr Condition kReplace140[] = {{kIs, "SPOC"}};
constexpr Condition kReplace141[] = {{kIs, "KILLER"}, {kIs, "BFOOT"}};
constexpr Condition kReplace142[] = {{kIs, "WAVEDVBT"}, {kIs, "WAVEATSC"}};
constexpr Condition kReplace143[] = {{kIs, "SF"}};
constexpr Condition kReplace144[] = {{kContains, "GLOBESPAN"}};
constexpr Condition kReplace145[] = {{kContains, "COREGA"}};
constexpr Condition kReplace146[] = {{kStartsWith, "SAGEM"}};
constexpr Condition kReplace147[] = {{kIs, "MAUIIIIG"}};
constexpr Condition kReplace148[] = {{kIs, "XTREME"}};

constexpr Rule kFirstMatch[] = {
    {"BROTHER", false, kFirst1, false, true},  // 1
    {"CANON", false, kFirst2, false, true},  // 2
    {"NTRIG", false, kFirst3, false, false},  // 3
    {"RIM", false, kFirst4, false, false},  // 4
    {"RIM", false, kFirst5, false, false},  // 5
    {"DLINK", false, kFirst6, false, false},  // 6
    {"DLINK", false, kFirst7, false, false},  // 7
    {"RALINK", false, kFirst8, false, false},  // 8
    {"ACER", false, kFirst9, false, false},  // 9
    {"CMEDIA", false, kFirst10, false, false},  // 10
    {"CREATIVE", false, kFirst11, false, false},  // 11
    {"YEDATA", false, kFirst12, false, false},  // 12
    {"YEDATA", false, kFirst13, false, false},  // 13
    {"MICROSOFT", false, kFirst14, false, false},  // 14
    {"AMD", false, kFirst15, false, false},  // 15
    {"ANALOGDEVICES", true, kFirst16, false, false},  // 16
    {"SAMSUNG", true, kFirst17, false, false},  // 17
    {"SAMSUNG", false, kFirst18, false, false},  // 18
    {"SAMSUNG", false, kFirst19, false, false},  // 19
    {"HP", false, kFirst20, false, false},  // 20
    {"HP", false, kFirst21, false, false},  // 21
    {"HP", false, kFirst22, false, false},  // 22
    {"HP", false, kFirst23, false, false},  // 23
    {"EGO", false, kFirst24, false, false},  // 24
    {"EGO", false, kFirst25, false, false},  // 25
    {"SOC", false, kFirst26, false, false},  // 26
    {"ATK", false, kFirst27, false, false},  // 27
    {"INFOPRINT", false, kFirst28, false, false},  // 28
};

constexpr Rule kReplacement[] = {
    {"MICROSOFT", false, kReplace1, false},  // 1
    {"MICROSOFT", false, kReplace2, true},  // 2
    {"CREATIVE", false, kReplace3, false},  // 3
    {"ASUS", false, kReplace4, false},  // 4
    {"RICOH", false, kReplace5, false},  // 5
    {"QUALCOMM", false, kReplace6, false},  // 6
    {"WINBOND", false, kReplace7, false},  // 7
    {"ERICSSON", false, kReplace8, false},  // 8
    {"TEXAS", false, kReplace9, false},  // 9
    {"BISON", false, kReplace10, false},  // 10
    {"ALLIED", false, kReplace11, false},  // 11
    {"NOVATEK", false, kReplace12, false},  // 12
    {"GOOGLE", false, kReplace13, false},  // 13
    {"NETGEAR", false, kReplace14, false},  // 14
    {"GIGABYTE", false, kReplace15, false},  // 15
    {"EGALAX", false, kReplace16, false},  // 16
    {"O2MICRO", false, kReplace17, false},  // 17
    {"SRS", false, kReplace18, false},  // 18
    {"OPTION", false, kReplace19, false},  // 19
    {"LSI", false, kReplace20, false},  // 20
    {"ARGOSY", false, kReplace21, false},  // 21
    {"VIA", false, kReplace22, false},  // 22
    {"VIA", false, kReplace23, true},  // 23
    {"AUDIOTRACK", false, kReplace24, false},  // 24
    {"IBM", false, kReplace25, false},  // 25
    {"LG", false, kReplace26, false},  // 26
    {"ATK", false, kReplace27, false},  // 27
    {"JVS", false, kReplace28, false},  // 28
    {"CFOS", false, kReplace29, false},  // 29
    {"GENIOUS", false, kReplace30, false},  // 30
    {"SONY", false, kReplace31, false},  // 31
    {"HITACHI", false, kReplace32, false},  // 32
    {"QCOM", false, kReplace33, false},  // 33
    {"QLOGIC", false, kReplace34, false},  // 34
    {"DELL", false, kReplace35, false},  // 35
    {"NEC", false, kReplace36, false},  // 36
    {"AIRLIVE", false, kReplace37, false},  // 37
    {"SAITEK", false, kReplace38, false},  // 38
    {"ITE", false, kReplace39, false},  // 39
    {"FUJITSU", false, kReplace40, false},  // 40
    {"ZTE", false, kReplace41, false},  // 41
    {"SIS", false, kReplace42, false},  // 42
    {"TRIDENT", false, kReplace43, false},  // 43
    {"S3", false, kReplace44, false},  // 44
    {"FXI", false, kReplace45, false},  // 45
    {"ANGEL", false, kReplace46, false},  // 46
    {"SYNTEK", false, kReplace47, false},  // 47
    {"ALCOR", false, kReplace48, false},  // 48
    {"ASMEDIA", false, kReplace49, false},  // 49
    {"ETRON", false, kReplace50, false},  // 50
    {"CERTANCE", false, kReplace51, false},  // 51
    {"FRACTAL", false, kReplace52, false},  // 52
    {"FEIXUN", false, kReplace53, false},  // 53
    {"FRESCO", false, kReplace54, false},  // 54
    {"GENESYS", false, kReplace55, false},  // 55
    {"NUVOTON", false, kReplace56, false},  // 56
    {"PLANEX", false, kReplace57, false},  // 57
    {"RENESAS", false, kReplace58, false},  // 58
    {"TERRATEC", false, kReplace59, false},  // 59
    {"SIERRA", false, kReplace60, false},  // 60
    {"TRENDNET", false, kReplace61, false},  // 61
    {"XAVI", false, kReplace62, false},  // 62
    {"MELLANOX", false, kReplace63, false},  // 63
    {"TOSHIBA", false, kReplace64, false},  // 64
    {"MATROX", false, kReplace65, false},  // 65
    {"SUNPLUS", false, kReplace66, false},  // 66
    {"INTEL", false, kReplace67, false},  // 67
    {"INTEL", false, kReplace68, true},  // 68
    {"LEXMARK", false, kReplace69, false},  // 69
    {"BROCADE", false, kReplace70, false},  // 70
    {"YAMAHA", false, kReplace71, false},  // 71
    {"JMICRON", false, kReplace72, false},  // 72
    {"LOGITECH", false, kReplace73, false},  // 73
    {"BROADCOM", false, kReplace74, false},  // 74
    {"SYNAPTICS", false, kReplace75, false},  // 75
    {"ACTION", false, kReplace76, false},  // 76
    {"VIMICRO", false, kReplace77, false},  // 77
    {"ACER", false, kReplace78, false},  // 78
    {"ASUS", false, kReplace79, false},  // 79
    {"AIRLINK", false, kReplace80, false},  // 80
    {"ASPEED", false, kReplace81, false},  // 81
    {"BIGFOOT", false, kReplace82, false},  // 82
    {"BROTHER", false, kReplace83, false},  // 83
    {"CHICONY", false, kReplace84, false},  // 84
    {"CANON", false, kReplace85, false},  // 85
    {"ZEBRA", false, kReplace86, false},  // 86
    {"MITSUMI", false, kReplace87, false},  // 87
    {"ECHO", false, kReplace88, false},  // 88
    {"XEROX", false, kReplace89, false},  // 89
    {"JEILIN", false, kReplace90, false},  // 90
    {"MICROSTAR", false, kReplace91, false},  // 91
    {"NOVATEL", false, kReplace92, false},  // 92
    {"CYGNETRON", false, kReplace93, false},  // 93
    {"LITEON", false, kReplace94, false},  // 94
    {"MADCATZ", false, kReplace95, false},  // 95
    {"MMT", false, kReplace96, false},  // 96
    {"UNIBRAIN", false, kReplace97, false},  // 97
    {"HP", false, kReplace98, false},  // 98
    {"AUTHENTEC", false, kReplace99, false},  // 99
    {"SAITEK", false, kReplace100, false},  // 100
    {"WACOM", false, kReplace101, false},  // 101
    {"LEADTEK", false, kReplace102, false},  // 102
    {"VIA", false, kReplace103, false},  // 103
    {"NVIDIA", false, kReplace104, false},  // 104
    {"ENE", false, kReplace105, false},  // 105
    {"CONEXANT", false, kReplace106, false},  // 106
    {"SYMANTEC", false, kReplace107, false},  // 107
    {"REALTEK", false, kReplace108, false},  // 108
    {"REALTEK", false, kReplace109, true},  // 109
    {"CAMBRIDGE", false, kReplace110, false},  // 110
    {"ADAPTEC", false, kReplace111, false},  // 111
    {"EPSON", false, kReplace112, false},  // 112
    {"HITACHI", false, kReplace113, false},  // 113
    {"KYOCERA", false, kReplace114, false},  // 114
    {"CONEXANT", false, kReplace115, false},  // 115
    {"ATHEROS", false, kReplace116, false},  // 116
    {"BIOSTAR", false, kReplace117, false},  // 117
    {"SILICON", false, kReplace118, false},  // 118
    {"HERCULES", false, kReplace119, false},  // 119
    {"VIDZMEDIA", false, kReplace120, false},  // 120
    {"ESI", false, kReplace121, false},  // 121
    {"ESI", false, kReplace122, true},  // 122
    {"MOTOROLA", false, kReplace123, false},  // 123
    {"EMACHINES", false, kReplace124, false},  // 124
    {"PCAUSA", false, kReplace125, false},  // 125
    {"BIXOLON", false, kReplace126, false},  // 126
    {"TANDBERG", false, kReplace127, false},  // 127
    {"GATEWAY", false, kReplace128, false},  // 128
    {"LENOVO", false, kReplace129, false},  // 129
    {"HUAWEI", false, kReplace130, false},  // 130
    {"SMC", false, kReplace131, false},  // 131
    {"ST", false, kReplace132, false},  // 132
    {"TOUCHUTILITY", false, kReplace133, false},  // 133
    {"HAUPPAUGE", false, kReplace134, false},  // 134
    {"MARVELL", false, kReplace135, false},  // 135
    {"ZYXEL", false, kReplace136, false},  // 136
    {"ALI", false, kReplace137, false},  // 137
    {"COMPAQ", false, kReplace138, false},  // 138
    {"ATI", false, kReplace139, false},  // 139
    {"INFINEON", false, kReplace140, false},  // 140
    {"BIGFOOT", false, kReplace141, false},  // 141
    {"LUMANATE", false, kReplace142, false},  // 142
    {"SOFTFOUNDRY", false, kReplace143, false},  // 143
    {"GLOBESPAN", false, kReplace144, false},  // 144
    {"COREGA", false, kReplace145, false},  // 145
    {"SAGEM", false, kReplace146, false},  // 146
    {"EMUSED", false, kReplace147, false},  // 147
    {"DIAMOND", false, kReplace148, false},  // 148
};

}  // namespace

std::span<const Rule> FirstMatchRules() { return kFirstMatch; }
std::span<const Rule> ReplacementRules() { return kReplacement; }

}  // namespace tav::vendor_rules
