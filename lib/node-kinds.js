'use strict';
// The class a result node comes from. One type number may serve several classes (16: instruction,
// method and clause; 4 and 6: EQU values; 7 to 9: DEF memory): their other properties tell them
// apart.
const BY_TYPE = {
  0: 'Directive::Label',
  1: 'Directive::Address',
  2: 'NVEM0',
  3: 'Directive::EQU::Constant',
  4: 'Directive::EQU::Value',
  5: 'Directive::EQU::Memory',
  6: 'Directive::EQU::Value',
  7: 'Directive::DEF::Memory',
  8: 'Directive::DEF::Memory',
  9: 'Directive::DEF::Memory',
  10: 'Directive::NV0::Byte',
  11: 'Directive::NV0::Numeric',
  12: 'Directive::NV0::Pointer',
  13: 'Directive::NV0::Space',
  14: 'Statement::BlockTag',
  15: 'Statement::Conditional',
  17: 'Namespace::Command',
  19: 'Syntax::Name',
  20: 'Syntax::Integer',
  21: 'Syntax::Real',
  22: 'Syntax::Text',
  23: 'Syntax::Register',
  24: 'Syntax::Indirection',
  25: 'Namespace::FormatCall',
};

function kindOf(node) {
  if (node.type === 16) {
    if ('operands' in node) return 'Instruction';
    if ('comparator' in node) return 'Statement::Conditional::Clause';
    return 'Namespace::Method';
  }
  return BY_TYPE[node.type] ?? `type ${node.type}`;
}

module.exports = { kindOf };
