#include "support/basic_builder.h"

#include <algorithm>

namespace korvane::test {

Bytes Tok(std::initializer_list<Bytes> pieces) {
  Bytes out;
  for (const Bytes& p : pieces) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Chars(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Quoted(const std::string& text) {
  Bytes out{0xC7, static_cast<uint8_t>(text.size())};
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

Bytes Unquoted(const std::string& text) {
  Bytes out{0xC8, static_cast<uint8_t>(text.size())};
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

Bytes LineRef(uint16_t number) { return {0xC9, static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)}; }

Bytes ProgramImageBody(const std::vector<BasicLine>& lines, uint16_t tableStart, uint16_t& tableEnd,
                       uint16_t& top) {
  const size_t tableSize = 4 * lines.size();
  Bytes table(tableSize), body;
  uint32_t address = tableStart + static_cast<uint32_t>(tableSize);
  // Entries highest line first: the listing walks the table backwards.
  for (size_t i = 0; i < lines.size(); ++i) {
    const BasicLine& line = lines[i];
    const size_t entry = tableSize - 4 * (i + 1);
    body.push_back(static_cast<uint8_t>(line.tokens.size() + 1));  // length byte
    const uint32_t first = address + 1;
    table[entry] = static_cast<uint8_t>(line.number >> 8);
    table[entry + 1] = static_cast<uint8_t>(line.number);
    table[entry + 2] = static_cast<uint8_t>(first >> 8);
    table[entry + 3] = static_cast<uint8_t>(first);
    body.insert(body.end(), line.tokens.begin(), line.tokens.end());
    body.push_back(0);
    address += static_cast<uint32_t>(line.tokens.size() + 2);
  }
  tableEnd = static_cast<uint16_t>(tableStart + tableSize - 1);
  top = static_cast<uint16_t>(address - 1);
  table.insert(table.end(), body.begin(), body.end());
  return table;
}

namespace {

uint16_t CheckWord(uint16_t start, uint16_t end, bool complement) {
  const uint16_t x = start ^ end;
  return complement ? static_cast<uint16_t>(65536u - x) : x;
}

void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v >> 8);
  b[at + 1] = static_cast<uint8_t>(v);
}

}  // namespace

Bytes ProgramImageData(const std::vector<BasicLine>& lines, const ProgramLayout& layout) {
  uint16_t end = 0, top = 0;
  const Bytes body = ProgramImageBody(lines, layout.tableStart, end, top);
  Bytes data(8);
  Put16(data, 0, CheckWord(layout.tableStart, end, layout.complementCheck));
  Put16(data, 2, end);
  Put16(data, 4, layout.tableStart);
  Put16(data, 6, top);
  data.insert(data.end(), body.begin(), body.end());
  return data;
}

TiFile LongProgramFile(const std::string& name, const std::vector<BasicLine>& lines, const ProgramLayout& layout) {
  uint16_t end = 0, top = 0;
  const Bytes image = ProgramImageBody(lines, layout.tableStart, end, top);
  TiFile f;
  f.name = name;
  f.status = 0x82;  // INTERNAL, VARIABLE
  f.recordLength = 254;
  f.recordsPerSector = 1;
  Bytes header(256, 0);
  header[0] = 10;
  Put16(header, 1, 0xABCD);
  Put16(header, 3, layout.tableStart);
  Put16(header, 5, end);
  Put16(header, 7, CheckWord(layout.tableStart, end, layout.complementCheck));
  Put16(header, 9, top);
  header[11] = 0xFF;
  f.data = header;
  // One record of at most 254 bytes per sector.
  for (size_t at = 0; at < image.size(); at += 254) {
    const size_t n = std::min<size_t>(254, image.size() - at);
    Bytes sector(256, 0);
    sector[0] = static_cast<uint8_t>(n);
    std::copy(image.begin() + static_cast<std::ptrdiff_t>(at), image.begin() + static_cast<std::ptrdiff_t>(at + n),
              sector.begin() + 1);
    if (n + 1 < 256) sector[n + 1] = 0xFF;
    f.data.insert(f.data.end(), sector.begin(), sector.end());
  }
  f.level3 = f.Sectors();
  return f;
}

TiFile MergeFile(const std::string& name, const std::vector<BasicLine>& lines) {
  std::vector<std::string> records;
  for (const BasicLine& line : lines) {
    std::string r;
    r += static_cast<char>(line.number >> 8);
    r += static_cast<char>(line.number & 0xFF);
    r.append(line.tokens.begin(), line.tokens.end());
    r += '\0';
    records.push_back(r);
  }
  records.push_back(std::string("\xFF\xFF", 2));
  TiFile f = DisVarFile(name, 163, records);
  return f;
}

}  // namespace korvane::test
