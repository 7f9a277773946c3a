// levelconv: a level between the binary .map form and a readable text form.
//
//   levelconv to-text IN.map OUT.txt
//   levelconv to-map  IN.txt OUT.map
//
// One line per record. Objects: KIND SHAPE then key=value fields, e.g.
//   MAPOBJ RECT x=105 y=210 size=26,70 off=-13,-35 wh=26,70 angle=15 look=1 color=0 dynamic=1 interactive=0
// Ropes: ROPE then fields, e.g.
//   ROPE look=7 a=0 b=1 offa=0,0 offb=5,-3 x=0 y=0
// A missing field is 0 (a rope's shape tag is ROPE and dynamic 1 unless given).
// '#' starts a comment. Tags that are not plain letters and digits are written
// in double quotes with \xHH escapes. Works on records, never through the
// map, so a file converts both ways without change.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "level/uLevelFile.h"

namespace {

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool IsPlain(const std::string& tag) {
  if (tag.empty()) return false;
  for (unsigned char c : tag)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

std::string QuoteTag(const std::string& tag) {
  if (IsPlain(tag)) return tag;
  std::string out = "\"";
  for (unsigned char c : tag) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out + "\"";
}

std::string Pair(int32_t a, int32_t b) { return std::to_string(a) + "," + std::to_string(b); }

std::string ToText(const TLevelRecord& r) {
  std::ostringstream s;
  if (r.KindTag == "ROPE") {
    s << "ROPE look=" << r.Look << " a=" << r.IndexA << " b=" << r.IndexB << " offa=" << Pair(r.OffAx, r.OffAy)
      << " offb=" << Pair(r.OffBx, r.OffBy) << " x=" << r.X << " y=" << r.Y;
    // Fields a rope does not use are shown only when a file has them.
    if (r.ShapeTag != "ROPE") s << " shape=" << QuoteTag(r.ShapeTag);
    if (r.Size1 || r.Size2) s << " size=" << Pair(r.Size1, r.Size2);
    if (r.DX || r.DY) s << " off=" << Pair(r.DX, r.DY);
    if (r.W || r.H) s << " wh=" << Pair(r.W, r.H);
    if (r.Angle) s << " angle=" << r.Angle;
    if (r.Color) s << " color=" << int(r.Color);
    if (!r.Dynamic) s << " dynamic=0";
    if (r.Interactive) s << " interactive=1";
  } else {
    s << QuoteTag(r.KindTag) << " " << QuoteTag(r.ShapeTag) << " x=" << r.X << " y=" << r.Y
      << " size=" << Pair(r.Size1, r.Size2) << " off=" << Pair(r.DX, r.DY) << " wh=" << Pair(r.W, r.H)
      << " angle=" << r.Angle << " look=" << r.Look << " color=" << int(r.Color) << " dynamic=" << int(r.Dynamic)
      << " interactive=" << int(r.Interactive);
    if (r.IndexA || r.IndexB) s << " a=" << r.IndexA << " b=" << r.IndexB;
    if (r.OffAx || r.OffAy) s << " offa=" << Pair(r.OffAx, r.OffAy);
    if (r.OffBx || r.OffBy) s << " offb=" << Pair(r.OffBx, r.OffBy);
  }
  return s.str();
}

// Splits a line into tokens; a double-quoted token may hold any byte as \xHH.
std::vector<std::string> Tokens(const std::string& line, std::vector<bool>* quoted) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    std::string tok;
    bool q = false;
    if (line[i] == '"') {
      q = true;
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\') {
          if (i + 3 >= line.size() || line[i + 1] != 'x') throw Failure("bad escape in quoted tag");
          const std::string hex = line.substr(i + 2, 2);
          char* end = nullptr;
          const long v = std::strtol(hex.c_str(), &end, 16);
          if (hex.size() != 2 || *end != '\0') throw Failure("bad escape in quoted tag");
          tok += static_cast<char>(v);
          i += 4;
        } else {
          tok += line[i++];
        }
      }
      if (i >= line.size()) throw Failure("unterminated quoted tag");
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
        tok += line[i++];
    }
    out.push_back(tok);
    quoted->push_back(q);
  }
  return out;
}

int32_t Int(const std::string& key, const std::string& text) {
  if (text.empty()) throw Failure("empty value for " + key);
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
    throw Failure("bad number \"" + text + "\" for " + key);
  return static_cast<int32_t>(v);
}

void IntPair(const std::string& key, const std::string& text, int32_t* a, int32_t* b) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) throw Failure("expected two numbers a,b for " + key);
  *a = Int(key, text.substr(0, comma));
  *b = Int(key, text.substr(comma + 1));
}

std::string Tag(const std::string& what, const std::string& text, size_t room) {
  if (text.size() > room) throw Failure(what + " \"" + text + "\" is longer than " + std::to_string(room));
  return text;
}

TLevelRecord FromText(const std::vector<std::string>& tok, const std::vector<bool>& quoted) {
  TLevelRecord r;
  r.KindTag = Tag("kind tag", tok[0], 6);
  size_t next = 1;
  if (r.KindTag == "ROPE" && !quoted[0]) {
    r.ShapeTag = "ROPE";
    r.Dynamic = true;
  } else {
    if (tok.size() < 2 || (!quoted[1] && tok[1].find('=') != std::string::npos))
      throw Failure("missing shape tag after " + tok[0]);
    r.ShapeTag = Tag("shape tag", tok[1], 4);
    next = 2;
  }
  for (size_t i = next; i < tok.size(); ++i) {
    const size_t eq = tok[i].find('=');
    if (quoted[i] || eq == std::string::npos) throw Failure("expected key=value, got \"" + tok[i] + "\"");
    const std::string key = tok[i].substr(0, eq), value = tok[i].substr(eq + 1);
    if (key == "x") r.X = Int(key, value);
    else if (key == "y") r.Y = Int(key, value);
    else if (key == "size") IntPair(key, value, &r.Size1, &r.Size2);
    else if (key == "off") IntPair(key, value, &r.DX, &r.DY);
    else if (key == "wh") IntPair(key, value, &r.W, &r.H);
    else if (key == "angle") r.Angle = Int(key, value);
    else if (key == "look") r.Look = Int(key, value);
    else if (key == "a") r.IndexA = Int(key, value);
    else if (key == "b") r.IndexB = Int(key, value);
    else if (key == "offa") IntPair(key, value, &r.OffAx, &r.OffAy);
    else if (key == "offb") IntPair(key, value, &r.OffBx, &r.OffBy);
    else if (key == "shape") {
      std::vector<bool> q;
      const std::vector<std::string> t = Tokens(value, &q);
      r.ShapeTag = Tag("shape tag", t.empty() ? "" : t[0], 4);
    } else if (key == "color") {
      const int32_t c = Int(key, value);
      if (c < 0 || c > 255) throw Failure("color " + value + " is not 0 to 255");
      r.Color = static_cast<uint8_t>(c);
    } else if (key == "dynamic" || key == "interactive") {
      if (value != "0" && value != "1") throw Failure(key + " must be 0 or 1");
      (key == "dynamic" ? r.Dynamic : r.Interactive) = value == "1";
    } else {
      throw Failure("unknown field \"" + key + "\"");
    }
  }
  return r;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure("cannot open " + path + ": " + std::strerror(errno));
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Failure("cannot read " + path);
  return bytes;
}

void WriteFile(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw Failure("cannot create " + path + ": " + std::strerror(errno));
  const bool ok = std::fwrite(data, 1, size, f) == size;
  const int err = errno;
  if (std::fclose(f) != 0 || !ok) {
    std::remove(path.c_str());
    throw Failure("cannot write " + path + ": " + std::strerror(ok ? errno : err));
  }
}

void MapToText(const std::string& in, const std::string& out) {
  const std::vector<uint8_t> bytes = ReadFile(in);
  std::string text = "# level " + in + "\n";
  for (size_t i = 0; i + kRecordSize <= bytes.size(); i += kRecordSize)
    text += ToText(DecodeRecord(bytes.data() + i)) + "\n";
  if (bytes.size() % kRecordSize != 0)
    std::fprintf(stderr, "levelconv: %s: %zu stray bytes after the last whole record are left out\n", in.c_str(),
                 bytes.size() % kRecordSize);
  WriteFile(out, text.data(), text.size());
}

void TextToMap(const std::string& in, const std::string& out) {
  const std::vector<uint8_t> raw = ReadFile(in);
  std::istringstream text(std::string(raw.begin(), raw.end()));
  std::vector<uint8_t> bytes;
  std::string line;
  for (int lineNo = 1; std::getline(text, line); ++lineNo) {
    try {
      std::vector<bool> quoted;
      const std::vector<std::string> tok = Tokens(line, &quoted);
      if (tok.empty()) continue;
      uint8_t rec[kRecordSize];
      EncodeRecord(FromText(tok, quoted), rec);
      bytes.insert(bytes.end(), rec, rec + kRecordSize);
    } catch (const Failure& e) {
      throw Failure(in + ":" + std::to_string(lineNo) + ": " + e.what());
    }
  }
  WriteFile(out, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: levelconv to-text IN.map OUT.txt | levelconv to-map IN.txt OUT.map\n");
    return 2;
  }
  const std::string mode = argv[1];
  try {
    if (mode == "to-text") {
      MapToText(argv[2], argv[3]);
    } else if (mode == "to-map") {
      TextToMap(argv[2], argv[3]);
    } else {
      throw Failure("unknown mode \"" + mode + "\" (to-text or to-map)");
    }
  } catch (const Failure& e) {
    std::fprintf(stderr, "levelconv: %s\n", e.what());
    return 2;
  }
  return 0;
}
