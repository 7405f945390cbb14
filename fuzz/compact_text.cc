// The fuzz target's reader of compact chunks.
#include "compact_text.h"

#include <cstdio>
#include <cstring>

using Kind = VEXA::Syntax::CompactWriter::Kind;
using VEXA::Syntax::CompactWriter;

bool CompactText::word(int32_t& into) {
  if (at_ >= stream_->size()) return false;
  into = (*stream_)[at_++];
  return true;
}

bool CompactText::read(const CompactWriter::Chunk& chunk) {
  if (chunk.texts.size() % 3 != 0) return false;
  for (size_t i = 0; i < chunk.texts.size(); i += 3) {
    const uint32_t offset = chunk.texts[i];
    const uint32_t size = chunk.texts[i + 1];
    if (offset > chunk.bytes.size() || size > chunk.bytes.size() - offset) return false;
    texts_.emplace_back(chunk.bytes, offset, size);
  }
  layouts_.insert(layouts_.end(), chunk.layouts.begin(), chunk.layouts.end());
  stream_ = &chunk.stream;
  at_ = 0;
  int32_t tag = 0;
  while (at_ < stream_->size()) {
    word(tag);
    if (tag == CompactWriter::kNodeRecord) {
      out += "={;";
      if (!object(out)) return false;
      out += '}';
    } else if (tag == CompactWriter::kDiagnosticRecord) {
      if (!object(out)) return false;
    } else if (tag == CompactWriter::kListRecord) {
      int32_t count = 0;
      if (!word(count) || count < 0) return false;
      std::string list;
      for (int32_t i = 0; i < count; ++i) {
        list += "={;";
        if (!object(list)) return false;
        list += '}';
      }
      lists_.push_back(std::move(list));
    } else {
      return false;
    }
  }
  return true;
}

bool CompactText::object(std::string& into) {
  int32_t layout = 0;
  if (!word(layout) || layout < 0 || static_cast<size_t>(layout) >= layouts_.size()) return false;
  // layouts_ grows only between chunks, so the reference holds while nested objects are read.
  const CompactWriter::Layout& properties = layouts_[static_cast<size_t>(layout)];
  for (const auto& property : properties) {
    into.append(property.name).push_back('=');
    if (!value(property, into)) return false;
  }
  return true;
}

bool CompactText::value(const CompactWriter::Property& property, std::string& into) {
  int32_t w[4] = {};
  const auto text = [&](int32_t id) {
    if (id < 0 || static_cast<size_t>(id) >= texts_.size()) return false;
    into += texts_[static_cast<size_t>(id)];
    return true;
  };
  switch (property.kind) {
    case Kind::Range:
      for (int32_t& part : w) {
        if (!word(part)) return false;
      }
      into += std::to_string(static_cast<uint32_t>(w[0])) + ":" +
              std::to_string(static_cast<uint32_t>(w[1])) + "-" +
              std::to_string(static_cast<uint32_t>(w[2])) + ":" +
              std::to_string(static_cast<uint32_t>(w[3]));
      break;
    case Kind::Integer:
      if (!word(w[0])) return false;
      into += std::to_string(w[0]);
      break;
    case Kind::Number: {
      if (!word(w[0]) || !word(w[1])) return false;
      double number;
      std::memcpy(&number, w, sizeof number);
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.17g", number);
      into += buffer;
      break;
    }
    case Kind::Text:
      if (!word(w[0]) || !text(w[0])) return false;
      break;
    case Kind::Boolean:
      if (!word(w[0])) return false;
      into += w[0] != 0 ? "1" : "0";
      break;
    case Kind::Texts:
      if (!word(w[0]) || w[0] < 0) return false;
      into += "[;";
      for (int32_t i = 0; i < w[0]; ++i) {
        if (!word(w[1]) || !text(w[1])) return false;
        into += ',';
      }
      into += ']';
      return true;
    case Kind::Node:
      into += "{;";
      if (!object(into)) return false;
      into += '}';
      return true;
    case Kind::Nodes:
      if (!word(w[0])) return false;
      into += "[;";
      if (w[0] < 0) {
        // A list record read earlier.
        const auto k = static_cast<size_t>(~w[0]);
        if (k >= lists_.size()) return false;
        into += lists_[k];
      } else {
        for (int32_t i = 0; i < w[0]; ++i) {
          into += "={;";
          if (!object(into)) return false;
          into += '}';
        }
      }
      into += ']';
      return true;
  }
  into += ';';
  return true;
}
