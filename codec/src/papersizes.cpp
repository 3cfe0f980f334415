#include <zcodec/printerdata.h>

#include <iterator>

namespace encdec {
namespace {

struct PaperSize {
    const char* display;
    const char* postScript;
};

// Codes 1 to 118 of the platform's paper sizes, spaces included. Text is
// UTF-8 throughout the program, so one half and three quarters are the
// characters U+00BD and U+00BE.
constexpr PaperSize kPaperSizes[] = {
    /*   1 */ {"Letter 8 1/2 x 11 in", "letter"},
    /*   2 */ {"Letter Small 8 1/2 x 11 in", "lettersmall"},
    /*   3 */ {"Tabloid 11 x 17 in", "11x17"},
    /*   4 */ {"Ledger 17 x 11 in", "ledger"},
    /*   5 */ {"Legal 8 1/2 x 14 in", "legal"},
    /*   6 */ {"Statement 5 1/2 x 8 1/2 in", "#396x612"},
    /*   7 */ {"Executive 7 1/4 x 10 1/2 in", ""},
    /*   8 */ {"A3 297 x 420 mm", "a3"},
    /*   9 */ {"A4 210 x 297 mm", "a4"},
    /*  10 */ {"A4 Small 210 x 297 mm", "a4small"},
    /*  11 */ {"A5 148 x 210 mm", "a5"},
    /*  12 */ {"B4 (JIS) 250 x 354", "jisb4"},
    /*  13 */ {"B5 (JIS) 182 x 257 mm", "jisb5"},
    /*  14 */ {"Folio 8 1/2 x 13 in", "flsa"},
    /*  15 */ {"Quarto 215 x 275 mm", ""},
    /*  16 */ {"10x14 in", ""},
    /*  17 */ {"11x17 in", ""},
    /*  18 */ {"Note 8 1/2 x 11 in", ""},
    /*  19 */ {"Envelope #9 3 7/8 x 8 7/8", ""},
    /*  20 */ {"Envelope #10 4 1/8 x 9 1/2", ""},
    /*  21 */ {"Envelope #11 4 1/2 x 10 3/8", ""},
    /*  22 */ {"Envelope #12 4 \u00BE x 11", ""},
    /*  23 */ {"Envelope #14 5 x 11 1/2", ""},
    /*  24 */ {"C size sheet", ""},
    /*  25 */ {"D size sheet", ""},
    /*  26 */ {"E size sheet", ""},
    /*  27 */ {"Envelope DL 110 x 220mm", ""},
    /*  28 */ {"Envelope C5 162 x 229 mm", ""},
    /*  29 */ {"Envelope C3  324 x 458 mm", ""},
    /*  30 */ {"Envelope C4  229 x 324 mm", ""},
    /*  31 */ {"Envelope C6  114 x 162 mm", ""},
    /*  32 */ {"Envelope C65 114 x 229 mm", ""},
    /*  33 */ {"/* Envelope B4  250 x 353 mm", ""},
    /*  34 */ {"Envelope B5  176 x 250 mm", ""},
    /*  35 */ {"Envelope B6  176 x 125 mm", ""},
    /*  36 */ {"Envelope 110 x 230 mm", ""},
    /*  37 */ {"Envelope Monarch 3.875 x 7.5 in", ""},
    /*  38 */ {"6 3/4 Envelope 3 5/8 x 6 1/2 in", ""},
    /*  39 */ {"US Std Fanfold 14 7/8 x 11 in", ""},
    /*  40 */ {"German Std Fanfold 8 1/2 x 12 in", ""},
    /*  41 */ {"German Legal Fanfold 8 1/2 x 13 in", ""},
    /*  42 */ {"B4 (ISO) 250 x 353 mm", "isob4"},
    /*  43 */ {"Japanese Postcard 100 x 148 mm", ""},
    /*  44 */ {"9 x 11 in", ""},
    /*  45 */ {"10 x 11 in", ""},
    /*  46 */ {"15 x 11 in", ""},
    /*  47 */ {"Envelope Invite 220 x 220 mm", ""},
    /*  48 */ {"RESERVED--DO NOT USE", ""},
    /*  49 */ {"RESERVED--DO NOT USE", ""},
    /*  50 */ {"Letter Extra 9 \u00BD x 12 in", ""},
    /*  51 */ {"Legal Extra 9 \u00BD x 15 in", ""},
    /*  52 */ {"Tabloid Extra 11.69 x 18 in", ""},
    /*  53 */ {"A4 Extra 9.27 x 12.69 in", ""},
    /*  54 */ {"Letter Transverse 8 \u00BD x 11 in", ""},
    /*  55 */ {"A4 Transverse 210 x 297 mm", ""},
    /*  56 */ {"Letter Extra Transverse 9\u00BD x 12 in ", ""},
    /*  57 */ {"SuperA/SuperA/A4 227 x 356 mm", ""},
    /*  58 */ {"SuperB/SuperB/A3 305 x 487 mm", ""},
    /*  59 */ {"Letter Plus 8.5 x 12.69 in", ""},
    /*  60 */ {"A4 Plus 210 x 330 mm", ""},
    /*  61 */ {"A5 Transverse 148 x 210 mm", ""},
    /*  62 */ {"B5 (JIS) Transverse 182 x 257 mm", ""},
    /*  63 */ {"A3 Extra 322 x 445 mm", ""},
    /*  64 */ {"A5 Extra 174 x 235 mm", ""},
    /*  65 */ {"B5 (ISO) Extra 201 x 276 mm", ""},
    /*  66 */ {"A2 420 x 594 mm", "a2"},
    /*  67 */ {"A3 Transverse 297 x 420 mm", ""},
    /*  68 */ {"A3 Extra Transverse 322 x 445 mm", ""},
    /*  69 */ {"Japanese Double Postcard 200 x 148 mm", ""},
    /*  70 */ {"A6 105 x 148 mm", "a6"},
    /*  71 */ {"Japanese Envelope Kaku #2", ""},
    /*  72 */ {"Japanese Envelope Kaku #3", ""},
    /*  73 */ {"Japanese Envelope Chou #3", ""},
    /*  74 */ {"Japanese Envelope Chou #4", ""},
    /*  75 */ {"Letter Rotated 11 x 8 1/2 11 in ", ""},
    /*  76 */ {"A3 Rotated 420 x 297 mm", ""},
    /*  77 */ {"A4 Rotated 297 x 210 mm", ""},
    /*  78 */ {"A5 Rotated 210 x 148 mm", ""},
    /*  79 */ {"B4 (JIS) Rotated 364 x 257 mm", ""},
    /*  80 */ {"B5 (JIS) Rotated 257 x 182 mm", ""},
    /*  81 */ {"Japanese Postcard Rotated 148 x 100 mm", ""},
    /*  82 */ {"Double Japanese Postcard Rotated 148 x 200 mm", ""},
    /*  83 */ {"A6 Rotated 148 x 105 mm", ""},
    /*  84 */ {"Japanese Envelope Kaku #2 Rotated", ""},
    /*  85 */ {"Japanese Envelope Kaku #3 Rotated", ""},
    /*  86 */ {"Japanese Envelope Chou #3 Rotated", ""},
    /*  87 */ {"Japanese Envelope Chou #4 Rotated", ""},
    /*  88 */ {"B6 (JIS) 128 x 182 mm", "jisb6"},
    /*  89 */ {"B6 (JIS) Rotated 182 x 128 mm", ""},
    /*  90 */ {"12 x 11 in", ""},
    /*  91 */ {"Japanese Envelope You #4", ""},
    /*  92 */ {"Japanese Envelope You #4 Rotated", ""},
    /*  93 */ {"PRC 16K 146 x 215 mm", ""},
    /*  94 */ {"PRC 32K 97 x 151 mm", ""},
    /*  95 */ {"PRC 32K(Big) 97 x 151 mm", ""},
    /*  96 */ {"PRC Envelope #1 102 x 165 mm", ""},
    /*  97 */ {"PRC Envelope #2 102 x 176 mm", ""},
    /*  98 */ {"PRC Envelope #3 125 x 176 mm", ""},
    /*  99 */ {"PRC Envelope #4 110 x 208 mm", ""},
    /* 100 */ {"PRC Envelope #5 110 x 220 mm", ""},
    /* 101 */ {"PRC Envelope #6 120 x 230 mm", ""},
    /* 102 */ {"PRC Envelope #7 160 x 230 mm", ""},
    /* 103 */ {"PRC Envelope #8 120 x 309 mm", ""},
    /* 104 */ {"PRC Envelope #9 229 x 324 mm", ""},
    /* 105 */ {"PRC Envelope #10 324 x 458 mm", ""},
    /* 106 */ {"PRC 16K Rotated", ""},
    /* 107 */ {"PRC 32K Rotated", ""},
    /* 108 */ {"PRC 32K(Big) Rotated", ""},
    /* 109 */ {"PRC Envelope #1 Rotated 165 x 102 mm ", ""},
    /* 110 */ {"PRC Envelope #2 Rotated 176 x 102 mm ", ""},
    /* 111 */ {"PRC Envelope #3 Rotated 176 x 125 mm ", ""},
    /* 112 */ {"PRC Envelope #4 Rotated 208 x 110 mm ", ""},
    /* 113 */ {"PRC Envelope #5 Rotated 220 x 110 mm ", ""},
    /* 114 */ {"PRC Envelope #6 Rotated 230 x 120 mm ", ""},
    /* 115 */ {"PRC Envelope #7 Rotated 230 x 160 mm ", ""},
    /* 116 */ {"PRC Envelope #8 Rotated 309 x 120 mm ", ""},
    /* 117 */ {"PRC Envelope #9 Rotated 324 x 229 mm ", ""},
    /* 118 */ {"PRC Envelope #10 Rotated 458 x 324 mm ", ""},
};
static_assert(std::size(kPaperSizes) == 118);

}  // namespace

std::string GetPaperSizeString(int code, bool postScript, std::int32_t width, std::int32_t height) {
    if (code >= 1 && code <= int(std::size(kPaperSizes))) {
        const PaperSize& size = kPaperSizes[code - 1];
        return postScript ? size.postScript : size.display;
    }
    if (postScript) return std::string();
    if (code == 0)
        return "Custom paper size " + std::to_string(width) + " x " + std::to_string(height) + " mm/100";
    return std::to_string(code);
}

}  // namespace encdec
