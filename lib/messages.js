'use strict';
// English messages for every diagnostic code, with the diagnostic's arguments put in their
// places. `{0}`, `{1}` stand for the diagnostic's first and second argument; `args` says how many
// arguments a diagnostic of that code carries at most, so that no message names one that never
// comes.

/** code number → { text, args } */
const MESSAGES = Object.freeze({
  1001: { text: 'unexpected token: no statement starts here', args: 0 },
  1002: { text: 'unexpected character {0}', args: 1 },
  1003: { text: 'expected "("', args: 0 },
  1004: { text: 'expected ")"', args: 0 },
  1005: { text: 'expected ","', args: 0 },
  1006: { text: '{0} nested too deeply', args: 1 },
  1201: { text: 'carriage return without a line feed', args: 0 },
  1202: { text: 'blanks between "#" and the name or number after it', args: 0 },
  1203: { text: 'unexpected token after the end of the statement', args: 0 },
  1302: { text: 'unterminated {0}', args: 1 },
  1303: { text: 'empty block tag', args: 0 },
  1304: { text: '"#" must be followed by a name or a number', args: 0 },
  1305: { text: 'number after "#" is greater than 255', args: 0 },
  1306: { text: 'exponent without digits', args: 0 },
  1307: { text: 'a sign followed by "{0}": only INF and NAN may follow a sign directly', args: 1 },
  1308: { text: 'unknown register letter', args: 0 },
  1309: { text: 'indirection without a name', args: 0 },
  1310: { text: 'argument of more than one token, taken as one text', args: 0 },
  1311: { text: 'argument of more than one token', args: 0 },
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
  3201: { text: 'missing arguments: expected {0}, got {1}', args: 2 },
  3202: { text: 'missing specification: expected {0}, got {1}', args: 2 },
  4101: { text: 'unknown word "@{0}"', args: 1 },
  4103: { text: 'unknown comparator "{0}"', args: 1 },
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
  9001: { text: 'internal: {0} met a case it has no branch for', args: 1 },
});

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
  return entry.text.replace(/\{(\d)\}/g, (_, i) => given[Number(i)] ?? '?');
}

module.exports = { MESSAGES, format };
