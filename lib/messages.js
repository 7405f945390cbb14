'use strict';
// English messages for every diagnostic code, with the diagnostic's arguments put in their
// places. `{0}`, `{1}` stand for the diagnostic's first and second argument; `args` says how many
// arguments a diagnostic of that code carries at most, so that no message names one that never
// comes.

/**
 * code number → { text, args, forms?, none? }. `forms` gives a whole message for a particular
 * first argument, where that argument names a case the general text would describe badly;
 * `none` stands in for an argument a diagnostic of that code may leave out.
 */
const MESSAGES = deepFreeze({
  1001: { text: 'unexpected token: no statement starts with it here', args: 0 },
  1002: {
    text: 'unexpected character "{0}"',
    args: 1,
    forms: { 'Control Code': 'unexpected control character' },
  },
  1003: { text: 'expected "("', args: 0 },
  1004: { text: 'expected ")"', args: 0 },
  1005: { text: 'expected ","', args: 0 },
  1006: { text: '{0} nested too deeply: at most 256 format calls and conditionals inside one another', args: 1 },
  1201: { text: 'carriage return without a line feed', args: 0 },
  1202: { text: 'blanks between "#" and the name or number after it', args: 0 },
  1203: { text: 'unexpected token after the end of the statement', args: 0 },
  1302: {
    text: 'unterminated {0}',
    args: 1,
    forms: {
      'string literal': 'unterminated text: no closing quote on its line',
      'hexadecimal literal': 'hexadecimal literal without digits: "\'" must be followed by 0-9 or A-F',
      'register literal': 'register literal without its letter: "=" must be followed by a register letter',
      'block-tag': 'block tag without its closing ">" on the line; it is read as a comment',
      conditional: 'conditional without its #ENDIF',
    },
  },
  1303: { text: 'empty block tag', args: 0 },
  1304: { text: '"#" must be followed by a name or a number', args: 0 },
  1305: { text: 'number after "#" is greater than 255', args: 0 },
  1306: { text: 'exponent without digits', args: 0 },
  1307: { text: 'a sign followed by "{0}": only INF and NAN may follow a sign directly', args: 1 },
  1308: { text: 'unknown register letter', args: 0 },
  1309: { text: 'indirection without a name', args: 0 },
  1310: { text: 'argument of more than one token, taken as one text', args: 0 },
  1311: { text: 'argument of more than one token: under strict rules an argument is one token', args: 0 },
  1501: { text: 'label without a colon', args: 0 },
  1502: { text: 'expected a directive', args: 0 },
  1601: { text: 'expected ":" after the precode', args: 0 },
  1602: { text: 'expected an instruction after the precodes', args: 0 },
  1603: { text: 'extended precode given twice', args: 0 },
  1604: { text: 'a precode was already given; this one is ignored', args: 0 },
  1605: { text: 'NVEM0 takes no label', args: 0 },
  1606: { text: 'expected a comparator', args: 0 },
  2001: { text: 'expected a name', args: 0 },
  2002: { text: 'expected an integer or a name', args: 0 },
  2003: { text: 'expected a number or a name', args: 0 },
  2005: { text: 'expected a value', args: 0 },
  3101: { text: 'hexadecimal literal longer than 8 digits', args: 0 },
  3102: { text: 'binary literal longer than 32 digits', args: 0 },
  3201: { text: 'missing arguments: expected {0}, got {1}', args: 2, none: 'none' },
  3202: { text: 'missing specification: expected {0}, got {1}', args: 2, none: 'none' },
  4101: { text: 'unknown word "@{0}"', args: 1 },
  4103: { text: 'unknown comparator "{0}": the comparators are EQ, NE, GT, GE, LT and LE', args: 1 },
  4104: { text: 'unknown command "{0}"', args: 1 },
  4105: { text: 'unknown format letter "{0}"', args: 1 },
  4201: { text: 'EQU directive without a label', args: 0 },
  5001: { text: 'expected a method name', args: 0 },
  5901: { text: 'a literal cannot be called', args: 0 },
  5902: { text: 'empty format specification', args: 0 },
  5903: { text: 'invalid display {0}', args: 1 },
  5904: { text: 'invalid {0}', args: 1 },
  5905: { text: 'a text cannot be a {0}', args: 1 },
  5906: { text: 'invalid {0} item', args: 1 },
  7001: { text: '"{0}" is read as a byte list', args: 1 },
  9001: {
    text: 'internal: {0} met a case it has no branch for',
    args: 1,
    // The three cases a source can reach: a word the keyword lists call a directive that names
    // none the parser knows.
    forms: {
      'Directive::Address::Delegate.parse': 'no directive is spelt like this: EQU directives end in "EQU", DEF directives ' +
        'begin with "DEF", NV0 directives with "NV0", and there is NVEM0; under strict rules letter case counts ' +
        '("EQU", "NV0" and "NVEM0" in upper case, "def" in lower case)',
      'Directive::EQU.parse': 'unknown EQU directive: the EQU directives are EQU, IEQU, SEQU, OEQU, AIEQU, AOEQU, FEQU, #EQU and MEQU',
      'Directive::NV0.parse': 'unknown NV0 directive: the NV0 directives are NV0TEXT, NV0BYTE, NV0FNUM, NV0PTR and NV0SPACE',
    },
  },
});

function deepFreeze(table) {
  for (const entry of Object.values(table)) {
    if (entry.forms) Object.freeze(entry.forms);
    Object.freeze(entry);
  }
  return Object.freeze(table);
}

function numberOf(code) {
  return typeof code === 'number' ? code : Number(String(code).replace(/^VEXA/, ''));
}

/**
 * The message of a diagnostic ({code: "VEXA1203", args?}) or of a code ("VEXA1203" or 1203) with
 * its arguments. An unknown code gets a message that names it, never an exception.
 */
function format(diagnosticOrCode, args) {
  const isDiagnostic = typeof diagnosticOrCode === 'object' && diagnosticOrCode !== null;
  const code = numberOf(isDiagnostic ? diagnosticOrCode.code : diagnosticOrCode);
  const given = (isDiagnostic ? diagnosticOrCode.args : args) ?? [];
  const entry = MESSAGES[code];
  if (!entry) return `diagnostic VEXA${code}${given.length ? `: ${given.join(', ')}` : ''}`;
  if (entry.forms && Object.hasOwn(entry.forms, given[0])) return entry.forms[given[0]];
  return entry.text.replace(/\{(\d)\}/g, (_, i) => given[Number(i)] ?? entry.none ?? '?');
}

module.exports = { MESSAGES, format };
