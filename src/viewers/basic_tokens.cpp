#include "viewers/basic_tokens.h"

#include <array>
#include <charconv>

namespace korvane {
namespace {

// One entry per byte value 0x80-0xff, in token order.
constexpr std::array<BasicToken, 128> kTokens = {{
    {"", 0},        {"ELSE", 12},      {" :: ", 1},      {"!", 1},           // 80-83
    {"IF", 12},     {"GO", 12},        {"GOTO", 12},     {"GOSUB", 12},      // 84-87
    {"RETURN", 12}, {"DEF", 12},       {"DIM", 12},      {"END", 12},        // 88-8b
    {"FOR", 12},    {"LET", 12},       {"BREAK", 12},    {"UNBREAK", 12},    // 8c-8f
    {"TRACE", 12},  {"UNTRACE", 12},   {"INPUT", 12},    {"DATA", 12},       // 90-93
    {"RESTORE", 12},{"RANDOMIZE", 12}, {"NEXT", 12},     {"READ", 12},       // 94-97
    {"STOP", 12},   {"DELETE", 12},    {"REM", 12},      {"ON", 12},         // 98-9b
    {"PRINT", 12},  {"CALL", 12},      {"OPTION", 12},   {"OPEN", 12},       // 9c-9f
    {"CLOSE", 12},  {"SUB", 12},       {"DISPLAY", 12},  {"IMAGE", 12},      // a0-a3
    {"ACCEPT", 12}, {"ERROR", 12},     {"WARNING", 12},  {"SUBEXIT", 12},    // a4-a7
    {"SUBEND", 12}, {"RUN", 12},       {"LINPUT", 12},   {"INTEGER", 12},    // a8-ab
    {"", 0},        {"", 0},           {"", 0},          {"", 0},            // ac-af
    {"THEN", 12},   {"TO", 12},        {"STEP", 12},     {",", 1},           // b0-b3
    {";", 1},       {":", 1},          {")", 1},         {"(", 1},           // b4-b7
    {"&", 1},       {"", 0},           {"OR", 12},       {"AND", 12},        // b8-bb
    {"XOR", 12},    {"NOT", 12},       {"=", 1},         {"<", 1},           // bc-bf
    {">", 1},       {"+", 1},          {"-", 1},         {"*", 1},           // c0-c3
    {"/", 1},       {"^", 1},          {"", 0},          {"", 0},            // c4-c7
    {"", 0},        {"", 0},           {"EOF", 12},      {"ABS", 8},         // c8-cb
    {"ATN", 8},     {"COS", 8},        {"EXP", 8},       {"INT", 8},         // cc-cf
    {"LOG", 8},     {"SGN", 8},        {"SIN", 8},       {"SQR", 8},         // d0-d3
    {"TAN", 8},     {"LEN", 8},        {"CHR$", 8},      {"RND", 8},         // d4-d7
    {"SEG$", 8},    {"POS", 8},        {"VAL", 8},       {"STR$", 8},        // d8-db
    {"ASC", 8},     {"PI", 8},         {"REC", 12},      {"MAX", 8},         // dc-df
    {"MIN", 8},     {"RPT$", 8},       {"UPRC$", 8},     {"STATUS", 8},      // e0-e3
    {"TIME$", 8},   {"DATE$", 8},      {"INTG", 8},      {"ALPHA", 0},       // e4-e7
    {"NUMERIC", 0}, {"DIGIT", 0},      {"UALPHA", 0},    {"SIZE", 0},        // e8-eb
    {"ALL", 12},    {"USING", 12},     {"BEEP", 12},     {"ERASE", 12},      // ec-ef
    {"AT", 12},     {"BASE", 12},      {"TEMPORARY", 0}, {"VARIABLE", 4},    // f0-f3
    {"RELATIVE", 0},{"INTERNAL", 0},   {"SEQUENTIAL", 0},{"OUTPUT", 0},      // f4-f7
    {"UPDATE", 0},  {"APPEND", 0},     {"FIXED", 4},     {"PERMANENT", 0},   // f8-fb
    {"TAB", 12},    {"#", 9},          {"VALIDATE", 0},  {"", 0},            // fc-ff
}};

void AppendNumber(unsigned value, std::string& out) {
  char digits[8];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

}  // namespace

const BasicToken& TokenOf(uint8_t value) { return kTokens[value & 0x7F]; }

void DetokenizeLine(ByteView tokens, size_t length, std::string& out) {
  const size_t end = length < tokens.size() ? length : tokens.size();
  bool blankPending = false, afterLiteral = false, afterColon = false;
  size_t p = 0;
  // A literal (character, string, number) was written: it is followed by
  // no pending blank and counts as a literal for the next token.
  auto literalDone = [&] {
    blankPending = false;
    afterColon = false;
    afterLiteral = true;
  };
  while (p < end) {
    const uint8_t b = tokens.u8(p++);
    if (b == 0) break;
    if (b < 0x80) {
      if (blankPending) out += ' ';
      out += static_cast<char>(b);
      literalDone();
    } else if (b == kTokenQuoted || b == kTokenUnquoted) {
      const size_t n = p < end ? tokens.u8(p++) : 0;
      const size_t take = n < end - p ? n : end - p;
      if (blankPending || (b == kTokenUnquoted && afterLiteral)) out += ' ';
      if (b == kTokenQuoted) out += '"';
      out.append(reinterpret_cast<const char*>(tokens.data() + p), take);
      if (b == kTokenQuoted) out += '"';
      p += take;
      literalDone();
    } else if (b == kTokenLineNumber) {
      // A reference cut by the end of the line reads its missing bytes as 0.
      const unsigned high = p < end ? tokens.u8(p++) : 0;
      const unsigned low = p < end ? tokens.u8(p++) : 0;
      if (blankPending || afterLiteral) out += ' ';
      AppendNumber(high << 8 | low, out);
      literalDone();
    } else {
      const BasicToken& t = TokenOf(b);
      if (b == kTokenColon && afterColon) out += ' ';
      if ((afterLiteral && !(t.flags & spacing::kTight)) || (blankPending && (t.flags & spacing::kAfterKeyword)))
        out += ' ';
      out += t.text;
      blankPending = (t.flags & spacing::kBlankAfter) != 0;
      afterLiteral = false;
      afterColon = b == kTokenColon;
    }
  }
  out += "\r\n";
}

void AppendListingLine(uint16_t lineNumber, ByteView tokens, size_t length, std::string& out) {
  AppendNumber(lineNumber, out);
  out += ' ';
  DetokenizeLine(tokens, length, out);
}

}  // namespace korvane
