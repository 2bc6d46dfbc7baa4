#pragma once

#include <array>
#include <cstdint>

namespace sorvane {

// How common each byte value is in text, as a rank from 0, the rarest. Counted once over C
// headers and English prose in equal parts, except that the bytes that begin a UTF-8 sequence
// rank above all others: a text that holds a term in another script holds that script's lead
// bytes all through, and only the bytes after them tell its characters apart. A searcher that
// looks for a term's rarest bytes first meets fewer false candidates.
inline constexpr std::array<std::uint8_t, 256> kByteFrequencyRank = {
      0,   1,   2,   3,   4,   5,   6,   7,   8, 132, 178,   9,  77,  75,  10,  11,
     12,  13,  14,  15,  16,  17,  18,  19,  20,  21,  22,  23,  24,  25,  26,  27,
    191, 100, 118, 136,  90,  98, 108, 107, 153, 155, 156, 106, 157, 150, 162, 177,
    152, 144, 143, 129, 121, 128, 120, 112, 119, 133, 137, 138, 123, 124, 122,  96,
    111, 160, 139, 159, 148, 170, 145, 141, 135, 167, 109, 127, 161, 142, 163, 165,
    154, 115, 164, 173, 168, 140, 130, 125, 134, 131, 105, 104, 110, 103,  93, 182,
    101, 183, 169, 181, 176, 190, 171, 166, 175, 188, 116, 151, 180, 172, 185, 186,
    179, 126, 184, 187, 189, 174, 149, 146, 147, 158, 117, 114, 102, 113,  95,  28,
     97,  51,  68,  59,  63,  58,  55,  49,  53,  42,  32,  29,  39,  70,  47,  40,
     43,  38,  54,  50,  87,  44,  36,  31,  81,  91,  30,  48,  89,  88,  37,  67,
     64,  85,  62,  65,  94,  56,  45,  78,  76,  99,  46,  72,  33,  83,  69,  41,
     66,  86,  60,  82,  79,  71,  92,  35,  80,  34,  52,  73,  84,  74,  57,  61,
    192, 193, 254, 255, 249, 252, 239, 194, 238, 240, 195, 235, 196, 197, 242, 241,
    251, 248, 198, 199, 200, 201, 202, 246, 243, 244, 203, 204, 205, 206, 207, 208,
    250, 245, 253, 209, 234, 236, 230, 231, 232, 237, 210, 211, 212, 213, 214, 247,
    233, 215, 216, 217, 218, 219, 220, 221, 222, 223, 224, 225, 226, 227, 228, 229,
};

}  // namespace sorvane
