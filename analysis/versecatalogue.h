// The verse catalogue of the analysis page.
//
// Two stores, loaded once from the catalogue compiled into the program:
//  - the verse table (VerseCatalogue): 718 texts under ids 100..1223, each
//    opening with its own title (body, place and verb);
//  - the body-and-lord table (BodyLordVerses): 174 short judgements keyed by
//    body indices, each carrying its own leading "★" and trailing "\r\n".
// Texts are UTF-8 with their embedded "\r\n" line breaks, in the chosen script
// (a second catalogue in traditional characters is written at build time).
//
// Index orders: bodies 0 日 1 月 2 水 3 金 4 火 5 木 6 土 7 罗 8 计 9 气 10 孛
// (only 0..6 can be lords); mansions 0 轸 1 角 … 27 翼; branches 0 亥 1 子 …
// 11 戌; houses 0 命宫 … 11 相貌, counted from the ascendant palace.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lumtar {

inline constexpr int kVerseBodyCount = 11;  // 日 .. 孛
inline constexpr int kGovernorCount = 7;    // 日 .. 土

// First id of the 躔 verses of each body (body in a mansion): the verse of
// body b in mansion m is MansionVerseBase(b) + m. Groups of three bodies
// advance by 30 and each group starts at the next hundred.
inline constexpr std::array<int, kVerseBodyCount> kMansionVerseBase = {
    100, 130, 160, 200, 230, 260, 300, 330, 360, 400, 430};
int MansionVerseBase(int body);  // 0 for a body outside 0..10

// Domiciles of the seven governors, one entry each: a branch index, or two
// packed as 100 × first + second.
inline constexpr std::array<uint16_t, kGovernorCount> kDomicileTable = {
    7, 8, 609, 510, 411, 300, 102};
uint16_t DomicileTable(int governor);  // 0 for a body outside 0..6

// The domicile branches of a governor in the order the report takes them:
// for two domiciles the one packed second comes first (水 申 then 巳).
// Returns how many were written (1 or 2; 0 for a body outside 0..6).
int DomicileBranches(int governor, int (&branches)[2]);

// Id keys of the verse table.
inline int KeepVerseId(int body, int branch) { return 500 + 12 * body + branch; }        // 守
inline int FlyVerseId(int body, int house) { return 700 + 20 * house + body; }            // 飞
inline int LordFliesVerseId(int standing, int ruled) { return 1000 + 12 * standing + ruled; }  // 主飞入
inline int PortraitVerseId(int ascendantBranch) { return 1200 + 2 * ascendantBranch; }
inline int MaskVerseId(int ascendantBranch) { return 1201 + 2 * ascendantBranch; }

// The text stored under `id`, or an empty text when the id does not exist.
const std::string& VerseText(int id);

// Body 0..6 standing in a mansion ruled by `lord` (入度); empty for 木 with
// lord 日, which has no text, and for keys outside the table.
const std::string& LordMansionVerse(int body, int lord);
// Body 0..10 standing in a palace ruled by `lord` (入宫).
const std::string& LordPalaceVerse(int body, int lord);
// Bodies a < b sharing a palace, a a governor (同宫); empty for a > 6, for
// a ≥ b and for keys outside the table.
const std::string& ConjunctionVerse(int a, int b);

// Sizes of the two stores as loaded (718 and 174 when the catalogue is whole).
std::size_t VerseCount();
std::size_t BodyLordVerseCount();

}  // namespace lumtar
