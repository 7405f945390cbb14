// The node type numbers: the "type" property of every node object. One number may serve several
// classes; their other properties tell them apart.
#pragma once

#include <cstdint>

namespace VEXA::Syntax {

enum class NodeType : uint8_t {
  Label = 0,         // Directive::Label
  Address = 1,       // Directive::Address: a label standing for its own statement
  Nvem0 = 2,         // the plain node of "NVEM0"
  EquConstant = 3,   // Directive::EQU::Constant
  EquReal = 4,       // Directive::EQU::Value of the real member
  EquMemory = 5,     // Directive::EQU::Memory
  EquSymbol = 6,     // Directive::EQU::Value of the symbol member
  DefSemaphore = 7,  // Directive::DEF::Memory of "DEFSEM"
  DefMemory = 8,     // Directive::DEF::Memory of the width members
  DefBlock = 9,      // Directive::DEF::Memory of "DEFBLOCK"
  Nv0Byte = 10,      // Directive::NV0::Byte
  Nv0Numeric = 11,   // Directive::NV0::Numeric
  Nv0Pointer = 12,   // Directive::NV0::Pointer
  Nv0Space = 13,     // Directive::NV0::Space
  BlockTag = 14,     // Statement::BlockTag
  Conditional = 15,  // Statement::Conditional
  Instruction = 16,  // Instruction
  Method = 16,       // Namespace::Method
  Clause = 16,       // Statement::Conditional::Clause
  Command = 17,      // Namespace::Command
  Name = 19,         // Syntax::Name
  Integer = 20,      // Syntax::Integer
  Real = 21,         // Syntax::Real
  Text = 22,         // Syntax::Text
  Register = 23,     // Syntax::Register
  Indirection = 24,  // Syntax::Indirection
  FormatCall = 25,   // Namespace::FormatCall
};

}  // namespace VEXA::Syntax
