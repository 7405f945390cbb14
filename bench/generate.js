'use strict';
// Deterministic generator of controller source text for the benchmarks and for the comparison
// of the native parser with the peer parser. The same seed, size and weights always give the
// same text, byte for byte, so that timings of different runs and machines measure the same input.
//
// Each line is drawn from a weighted list of line kinds. A kind is a function (rng, state) that
// returns one line without its line feed. New statement kinds (directives, commands,
// conditionals) are added by putting a function into `kinds` and giving it a weight.

/** mulberry32: a small, fast 32-bit PRNG; good enough for picking text and fully reproducible. */
function mulberry32(seed) {
  let a = seed >>> 0;
  return function next() {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

/** Helpers around one PRNG stream. */
function makeRng(seed) {
  const next = mulberry32(seed);
  const rng = {
    next,
    int(lo, hi) { return lo + Math.floor(next() * (hi - lo + 1)); },
    pick(list) { return list[Math.floor(next() * list.length)]; },
    chance(p) { return next() < p; },
    /** Picks the first element of one of the [item, weight] entries, in proportion to weight. */
    weighted(entries, total) {
      let r = next() * total;
      for (const [key, weight] of entries) {
        r -= weight;
        if (r < 0) return key;
      }
      return entries[entries.length - 1][0];
    },
  };
  return rng;
}

// Keyword tables handed to `keywords()`. The precode words are the three whose upper-case name
// hash the instruction parser knows: NOJ gives precode 239, REX 237 (extended), IASJ 238.
const INSTRUCTIONS = [
  'MOV', 'ADD', 'SUB', 'MUL', 'DIV', 'CMP', 'JMP', 'JZ', 'JNZ', 'CALL', 'RET', 'NOP', 'AND', 'OR',
  'XOR', 'SHL', 'SHR', 'INC', 'DEC', 'LD', 'ST', 'PUSH', 'POP', 'OUT', 'IN', 'WAIT', 'SET', 'RST',
  'TST', 'LIM', 'SCALE', 'MOVB', 'MOVW', 'BLKMOV', 'CLR', 'NEG', 'ABS', 'SQRT',
];
const PRECODES = ['NOJ', 'REX', 'IASJ'];
const DIRECTIVES = [
  'EQU', 'BEQU', 'WEQU', 'DEFSEM', 'DEFBLOCK', 'NV0', 'NV0B', 'NV0W', 'NVEM0',
  // The EQU family's members besides "EQU": input, second input, output, analog input and output,
  // real, symbol, memory.
  'IEQU', 'SEQU', 'OEQU', 'AIEQU', 'AOEQU', 'FEQU', '#EQU', 'MEQU',
  // The DEF widths and the NV0 members.
  'DEFWORD', 'DEFADDR', 'DEFTIME24', 'DEFLONG', 'DEFFLOAT', 'NV0TEXT', 'NV0BYTE', 'NV0FNUM', 'NV0PTR',
  'NV0SPACE',
];
// "#META" and "#INCLUDE" are the two commands that set their own usage flag in the result.
const COMMANDS = ['#HMI', '#LOG', '#TRACE', '#META', '#INCLUDE'];

// Operand material. None of these words is a precode, directive or command keyword: such a word
// in an operand would be a parse error, which the error line kind produces on purpose instead.
const NAMES = [
  'R0', 'R1', 'R2', 'R3', 'R4', 'R5', 'R6', 'R7', 'R8', 'R9', 'R10', 'R11', 'R12', 'R13', 'R14',
  'R15', 'ACC', 'TMR1', 'TMR2', 'CNT', 'FLAGS', 'STATUS', 'X.POS', 'Y.POS', 'Z.POS', 'X_SPEED',
  'feed_rate', 'Motor.Run', 'Motor.Fault', 'valve_3', 'PUMP_ON', 'limit.hi', 'limit.lo', '_tmp',
  'IDX', 'PTR', 'BUF.HEAD', 'BUF.TAIL', 'ALARM', 'SETPOINT', 'DELTA', 'T0', 'T1', 'K_P', 'K_I',
  '!RESET', 'STEP.NO',
];
// Names written after "#": fixed names. They are hashed by the lexer to spot the conditional
// keywords, so the list stays clear of those words.
const HASH_NAMES = ['MAXAXIS', 'ORIGIN', 'HOME', 'PORT_A', 'PORT_B', 'Tool.Len', 'ZERO'];
const TEXTS = [
  'ready', 'Motor start', 'E-STOP', 'open valve', 'axis %d', 'OK', '', 'feed; hold',
  'Température', 'Δt too small', 'µs', '→ next', 'press "start"', 'trend 📈',
];
const COMMENTS = [
  'load the set point', 'wait for the axis to settle', 'TODO: check the limit',
  'counter wraps at 65535', 'Temperatur in °C', 'see wiring plan, sheet 3', 'fast path',
  'keep in sync with the HMI page', 'Δ = soll − ist', 'retry three times', '', 'hot path 🔥',
];
const LABEL_WORDS = ['LOOP', 'START', 'DONE', 'WAIT', 'ERR', 'NEXT', 'L', 'INIT', 'FAULT', 'Home'];

const INDENTS = ['    ', '    ', '    ', '\t', '  ', '        ', '\t\t', ' '];
const SEPARATORS = [', ', ', ', ', ', ',', ' , ', ',\t'];

/** A string literal as written in source: quotes around it, inner quotes doubled. */
function quote(text) {
  return `"${text.replace(/"/g, '""')}"`;
}

function hexDigits(rng) {
  const value = rng.int(0, rng.chance(0.5) ? 0xff : 0xffffffff);
  let digits = value.toString(16);
  if (rng.chance(0.5)) digits = digits.toUpperCase();
  if (rng.chance(0.2)) digits = '0' + digits;
  return digits;
}

/** One operand, chosen among all literal kinds. */
function operand(rng) {
  const r = rng.next();
  if (r < 0.3) return rng.pick(NAMES);
  if (r < 0.45) return String(rng.int(0, rng.chance(0.8) ? 999 : 2000000));
  if (r < 0.52) return String(-rng.int(1, 32768));
  if (r < 0.6) {
    // Reals with at most three decimals; some of them are integral (2.0) and lex as integers.
    const whole = rng.int(-500, 500);
    const decimals = rng.pick(['0', '5', '25', '75', '125', '1', '001', '333', '9']);
    return `${whole}.${decimals}`;
  }
  if (r < 0.7) return `'${hexDigits(rng)}`;
  if (r < 0.77) return `%${rng.int(0, 0xffff).toString(2)}`;
  if (r < 0.84) return `#${rng.int(0, 255)}`;
  if (r < 0.88) return `#${rng.pick(HASH_NAMES)}`;
  if (r < 0.97) return quote(rng.pick(TEXTS));
  // Exponent forms lex as integers or reals depending on the fraction.
  return rng.pick(['1e3', '2.5e2', '1.25E-1', '6e0', '-3e2']);
}

function mnemonic(rng) {
  const word = rng.pick(INSTRUCTIONS);
  // Keyword tables that are not strict ignore case. With strict tables a lower-case mnemonic is
  // still one: an unknown word first on its line is an instruction, and after precodes any word.
  return rng.chance(0.03) ? word.toLowerCase() : word;
}

/** Optional precode chain in front of a mnemonic, e.g. "NOJ: " or "REX: IASJ: ". */
function precodes(rng) {
  if (!rng.chance(0.15)) return '';
  let chain = `${rng.pick(PRECODES)}: `;
  if (rng.chance(0.1)) chain += `${rng.pick(PRECODES)}:`;
  if (rng.chance(0.05)) chain = chain.toLowerCase();
  return chain + (chain.endsWith(' ') ? '' : ' ');
}

function operandList(rng) {
  const count = rng.chance(0.05) ? 0 : rng.int(2, 4);
  const parts = [];
  for (let i = 0; i < count; i++) parts.push(operand(rng));
  if (parts.length === 0) return '';
  let text = parts[0];
  for (let i = 1; i < parts.length; i++) text += rng.pick(SEPARATORS) + parts[i];
  return ' ' + text;
}

function trailingComment(rng) {
  return rng.chance(0.2) ? `${rng.pick(['  ', ' ', '\t'])}; ${rng.pick(COMMENTS)}` : '';
}

const kinds = {
  /** "    NOJ: MOV R1, 5 ; comment" */
  instruction(rng) {
    return rng.pick(INDENTS) + precodes(rng) + mnemonic(rng) + operandList(rng) +
      trailingComment(rng);
  },

  /** A comment on its own line, in column 0 or indented. */
  comment(rng) {
    return (rng.chance(0.6) ? '' : rng.pick(INDENTS)) + `; ${rng.pick(COMMENTS)}`;
  },

  /** An empty line or one holding blanks only. */
  blank(rng) {
    return rng.pick(['', '', '', '    ', '\t']);
  },

  /**
   * A label in column 0, alone ("LOOP1:") or in front of an instruction ("NEXT2: MOV R1, 5").
   * Now and then the colon is left out, which the parser warns about.
   */
  label(rng, state) {
    state.labels += 1;
    const label = `${rng.pick(LABEL_WORDS)}${state.labels}${rng.chance(0.05) ? '' : ':'}`;
    if (rng.chance(0.4)) return label + trailingComment(rng);
    return label + rng.pick([' ', ' ', '\t', '  ']) + precodes(rng) + mnemonic(rng) +
      operandList(rng) + trailingComment(rng);
  },

  /**
   * An occasional faulty line. Each variant has a fixed outcome in the parser: the statement is
   * dropped (no node) or kept, with a diagnostic either way.
   */
  error(rng) {
    const indent = rng.pick(INDENTS);
    const head = indent + rng.pick(INSTRUCTIONS) + ' ' + rng.pick(NAMES);
    switch (rng.int(0, 6)) {
      case 0: return `${head},, ${operand(rng)}`; // operator where a value belongs: dropped
      case 1: return `${head}, $${operand(rng)}`; // stray character, skipped by the lexer: kept
      case 2: return `${indent}${rng.pick(PRECODES)} ${rng.pick(INSTRUCTIONS)} R1, 2`; // no colon
      case 3: return `${head} ${rng.pick(NAMES)}`; // extra token after the statement: kept
      case 4: return `${head}, "no end`; // unterminated string, then a missing value: dropped
      case 5: return `${head}, @${rng.pick(NAMES).replace(/[^A-Za-z]/g, '')}`; // "@" word
      default: return `${indent}, ${operand(rng)}`; // a line no statement accepts
    }
  },
};

// ---- Conditionals -------------------------------------------------------------------------------
// A conditional is one draw that yields several lines: "#IF" with a comparison, a block of
// instruction lines (now and then a nested conditional), optional "#ELSEIF" clauses and "#ELSE",
// and "#ENDIF". Keywords and comparators are written in upper case, so the text parses alike
// under strict and non-strict rules. The peer parser has no conditionals.
const COMPARATORS = ['EQ', 'NE', 'GT', 'GE', 'LT', 'LE'];
// A whole conditional stays below the 512 bytes that `generate` keeps in reserve at the end, so
// the output keeps its exact size.
const CONDITIONAL_BYTES = 420;
const MAX_CONDITIONAL_DEPTH = 3;

function comparison(rng) {
  return `${rng.pick(COMPARATORS)}(${operand(rng)}${rng.pick(SEPARATORS)}${operand(rng)})`;
}

/**
 * The lines of one conditional at nesting `depth`, together no longer than `budget` bytes with a
 * two-byte line end each; null when not even its first and last line fit.
 */
function conditionalLines(rng, depth, budget) {
  const indent = '  '.repeat(depth);
  const size = (line) => Buffer.byteLength(line) + 2;
  const close = `${indent}#ENDIF`;
  const lines = [];
  let left = budget - size(close);
  const add = (line) => {
    if (size(line) > left) return false;
    lines.push(line);
    left -= size(line);
    return true;
  };
  // The statements of one branch: mostly instructions, some comments and empty lines.
  const block = () => {
    for (let count = rng.int(1, 4); count > 0; count--) {
      if (depth + 1 < MAX_CONDITIONAL_DEPTH && rng.chance(0.1)) {
        const inner = conditionalLines(rng, depth + 1, left);
        if (inner) {
          lines.push(...inner);
          left -= inner.reduce((sum, line) => sum + size(line), 0);
        }
        continue;
      }
      const r = rng.next();
      const line = r < 0.85 ? kinds.instruction(rng) : r < 0.93 ? kinds.comment(rng) : '';
      if (!add(indent + line)) return;
    }
  };

  if (!add(`${indent}#IF ${comparison(rng)}${trailingComment(rng)}`)) return null;
  block();
  for (let n = rng.chance(0.3) ? rng.int(1, 2) : 0; n > 0; n--) {
    if (!add(`${indent}#ELSEIF ${comparison(rng)}`)) break;
    block();
  }
  if (rng.chance(0.4) && add(`${indent}#ELSE`)) block();
  lines.push(close);
  return lines;
}

/** A conditional with its nested blocks, as several lines joined with the output's line end. */
kinds.conditional = (rng, state) =>
  conditionalLines(rng, 0, CONDITIONAL_BYTES).join(state.eol);
// ---- End of conditionals ------------------------------------------------------------------------
// ---- Namespace commands -------------------------------------------------------------------------
// Command lines: "#HMI" lines whose methods take keyed arguments and format calls ("b", "f", "s",
// "nz", "L" and parenthesised lists, now and then nested), and other commands with plain values.
// The peer parser has no commands.
// None of the method names or keys is an instruction word: a method name must be an identifier.
const HMI_METHODS = ['show', 'page', 'bind', 'label', 'field', 'alarm', 'trend', 'button'];
const COMMAND_METHODS = ['write', 'open', 'close', 'level', 'include', 'mode', 'on', 'off'];
const KEYS = ['title', 'value', 'unit', 'min', 'max', 'color', 'pos', 'id'];
// Register literals and indirections are values of format specifications only.
const REGISTERS = ['=x', '=y', '=h', '=m', '=s', '=i', '=p', '=w', '=q'];

function formatValue(rng) {
  const r = rng.next();
  if (r < 0.1) return rng.pick(REGISTERS);
  if (r < 0.18) return rng.pick(['*', '*+', '*-']) + rng.pick(['PTR', 'IDX', 'BUF.HEAD']);
  return operand(rng);
}

/** One format call; `depth` bounds how far output items and list items nest. */
function formatCall(rng, depth) {
  const nested = (fallback) => (depth > 0 && rng.chance(0.3) ? formatCall(rng, depth - 1) : fallback);
  switch (rng.int(0, 9)) {
    case 0: case 1: case 2:
      return `b(${formatValue(rng)}${rng.chance(0.5) ? ', ' + rng.pick(['2', 'f', 'h', 'v', 'c']) : ''})`;
    case 3: case 4: {
      const count = rng.int(1, 3);
      const values = Array.from({ length: count }, () => formatValue(rng));
      if (count === 3 && rng.chance(0.3)) values.push('v');
      return `f(${values.join(', ')})`;
    }
    case 5: case 6:
      return `s(${formatValue(rng)}, ${nested(rng.pick(NAMES))}, ${nested(quote(rng.pick(TEXTS)))})`;
    case 7:
      return rng.chance(0.2) ? 'nz()' : `nz(${rng.pick(NAMES)}${rng.chance(0.4) ? ', ' + formatValue(rng) : ''})`;
    case 8:
      return `L(${Array.from({ length: rng.int(1, 4) }, () => operand(rng)).join(', ')})`;
    default:
      return `(${Array.from({ length: rng.int(1, 3) }, () => nested(rng.pick(NAMES))).join(', ')})`;
  }
}

function hmiArgument(rng) {
  const key = rng.chance(0.3) ? `${rng.pick(KEYS)}: ` : '';
  const r = rng.next();
  if (r < 0.6) return key + formatCall(rng, 2);
  // Now and then a run of words, which the parser keeps as one text with a warning.
  if (r < 0.63) return key + `${rng.pick(NAMES)} ${rng.pick(NAMES)}`;
  return key + operand(rng);
}

function methods(rng, argument, names) {
  const parts = [];
  for (let n = rng.chance(0.8) ? 1 : 2; n > 0; n--) {
    const args = Array.from({ length: rng.chance(0.1) ? 0 : rng.int(1, 3) }, () => argument(rng));
    parts.push(`${rng.pick(names)}(${args.join(', ')})`);
  }
  return parts.join(rng.pick([' ', '', '  ']));
}

/** "#HMI show(title: "Motor", b(Motor.Run, h), s(STATUS, X.POS, "ok"))" */
kinds.hmi = (rng) => {
  const word = rng.chance(0.03) ? '#hmi' : '#HMI';
  // One line in fifty is faulty: an unknown format letter, or a format call left open.
  if (rng.chance(0.02)) return rng.pick([`${word} show(q(1))`, `${word} show(b(ALARM)`]);
  return `${word} ${methods(rng, hmiArgument, HMI_METHODS)}` + trailingComment(rng);
};

/** "#LOG write(R1, "ready")", "#META level(2)", "#TRACE on()" */
kinds.command = (rng) =>
  `${rng.pick(['#LOG', '#TRACE', '#META', '#INCLUDE', '#LOG'])} ` +
  methods(rng, operand, COMMAND_METHODS) + trailingComment(rng);
// ---- End of namespace commands ------------------------------------------------------------------

const DEFAULT_WEIGHTS = {
  instruction: 70,
  comment: 9,
  blank: 8,
  error: 1,
  // About one line in five carries a label.
  label: 22,
};

// Line kinds that the peer parser does not know: `generate` leaves them out when asked for the
// peer's subset of the language (option `peerSubset`).
const OUTSIDE_PEER = new Set();

// About one draw in forty-five opens a conditional.
DEFAULT_WEIGHTS.conditional = 2;
OUTSIDE_PEER.add('conditional');

// EQU directive lines: a label bound to a constant, an I/O point, a real, a symbol or a memory
// area. The label is required; the colon after it is optional on a directive line.
{
  const MEMBERS = [
    ['EQU', 10], ['IEQU', 4], ['OEQU', 4], ['SEQU', 1], ['AIEQU', 1], ['AOEQU', 1],
    ['FEQU', 2], ['#EQU', 2], ['MEQU', 3],
  ];
  const MEMBER_TOTAL = MEMBERS.reduce((sum, [, weight]) => sum + weight, 0);
  const EQU_LABELS = ['MAX_SPEED', 'TIMEOUT', 'IN_START', 'OUT_LAMP', 'AI_TEMP', 'AO_VALVE', 'GAIN',
    'MSG', 'BUFFER', 'COUNT', 'Limit', 'k_p'];

  const integerOperand = (rng) => rng.pick([
    () => String(rng.int(0, 9999)),
    () => String(-rng.int(1, 500)),
    () => `'${hexDigits(rng)}`,
    () => `%${rng.int(0, 0xff).toString(2)}`,
    () => `#${rng.int(0, 255)}`,
    () => rng.pick(NAMES),
  ])();
  const realOperand = (rng) => rng.chance(0.8) ?
    `${rng.int(-500, 500)}.${rng.pick(['5', '25', '75', '125', '333', '01'])}` : integerOperand(rng);

  kinds.equ = function equ(rng, state) {
    state.labels += 1;
    const label = `${rng.pick(EQU_LABELS)}${state.labels}` + (rng.chance(0.5) ? ':' : '');
    let member = rng.weighted(MEMBERS, MEMBER_TOTAL);
    if (rng.chance(0.03)) member = member.toLowerCase();
    let value;
    switch (member.toUpperCase()) {
      case 'FEQU': value = realOperand(rng); break;
      case '#EQU': value = rng.chance(0.5) ? quote(rng.pick(TEXTS)) : operand(rng); break;
      case 'MEQU':
        value = integerOperand(rng) + (rng.chance(0.6) ? `, ${rng.int(1, 256)}` : '');
        break;
      default: value = integerOperand(rng); break;
    }
    return `${label}${rng.pick([' ', '\t', '  '])}${member} ${value}${trailingComment(rng)}`;
  };
  DEFAULT_WEIGHTS.equ = 5;
  OUTSIDE_PEER.add('equ');
}


// DEF and NV0 directive lines: memory areas and data items, with a label in front of about half
// of them (with or without its colon) and an indented keyword otherwise.
const DATA_LABELS = ['BUF', 'AREA', 'SEM', 'TBL', 'MSG', 'PAR', 'CFG', 'Recipe', 'tmp'];
const DEF_WIDTHS = ['DEFWORD', 'DEFADDR', 'DEFTIME24', 'DEFLONG', 'DEFFLOAT'];

/** "BUF3: ", "BUF3 " or an indent: where a data line's keyword starts. */
function dataHead(rng, state) {
  if (!rng.chance(0.5)) return rng.pick(INDENTS);
  state.labels += 1;
  return `${rng.pick(DATA_LABELS)}${state.labels}${rng.chance(0.85) ? ':' : ''} `;
}

/** A unit count: mostly small decimals, sometimes hexadecimal or a named constant. */
function count(rng) {
  const r = rng.next();
  if (r < 0.7) return String(rng.int(1, 256));
  if (r < 0.85) return `'${rng.int(1, 0xfff).toString(16).toUpperCase()}`;
  return rng.pick(NAMES);
}

/** "AREA4: DEFLONG 16", "    DEFSEM", "    DEFBLOCK '40" */
kinds.def = function def(rng, state) {
  const head = dataHead(rng, state);
  const r = rng.next();
  let line;
  if (r < 0.2) line = 'DEFSEM' + (rng.chance(0.5) ? ` ${count(rng)}` : '');
  else if (r < 0.35) line = `DEFBLOCK ${count(rng)}`;
  else line = rng.pick(DEF_WIDTHS) + (rng.chance(0.8) ? ` ${count(rng)}` : '');
  return head + line + trailingComment(rng);
};

/** "MSG2: NV0TEXT \"ready\", 0", "    NV0BYTE 1, 'FF, %101", "TBL7 NV0PTR Motor.Run" */
kinds.nv0 = function nv0(rng, state) {
  const head = dataHead(rng, state);
  const r = rng.next();
  let line;
  if (r < 0.4) {
    const values = [];
    for (let i = rng.int(1, 8); i > 0; i--) values.push(operand(rng));
    line = `NV0BYTE ${values.join(rng.pick(SEPARATORS))}`;
  } else if (r < 0.55) {
    line = `NV0TEXT ${quote(rng.pick(TEXTS))}${rng.chance(0.5) ? ', 0' : ''}`;
  } else if (r < 0.7) {
    line = `NV0FNUM ${rng.chance(0.7) ? `${rng.int(-999, 999)}.${rng.int(0, 99)}` : rng.pick(NAMES)}`;
  } else if (r < 0.85) {
    line = `NV0PTR ${rng.pick(NAMES)}`;
  } else {
    line = `NV0SPACE ${count(rng)}`;
  }
  return head + line + trailingComment(rng);
};
DEFAULT_WEIGHTS.def = 3;
DEFAULT_WEIGHTS.nv0 = 4;
OUTSIDE_PEER.add('def');
OUTSIDE_PEER.add('nv0');

// About one line in sixteen is a command, two thirds of them "#HMI".
DEFAULT_WEIGHTS.hmi = 4;
DEFAULT_WEIGHTS.command = 2;
OUTSIDE_PEER.add('hmi');
OUTSIDE_PEER.add('command');

const KEYWORDS = {
  instructions: INSTRUCTIONS,
  precodes: PRECODES,
  directives: DIRECTIVES,
  commands: COMMANDS,
};

/**
 * Generates source text of exactly `bytes` bytes of UTF-8.
 * @param {{seed?: number, bytes: number, weights?: Object<string, number>, eol?: string,
 *   peerSubset?: boolean}} options
 *   weights: per line kind, merged over DEFAULT_WEIGHTS; eol: the line ending ("\n" or "\r\n");
 *   peerSubset: only the line kinds that the peer parser knows.
 * @returns {{source: string, keywords: {instructions: string[], precodes: string[],
 *   directives: string[], commands: string[]}}}
 */
function generate({ seed = 1, bytes, weights = {}, eol = '\n', peerSubset = false } = {}) {
  if (!Number.isInteger(bytes) || bytes < 0) throw new RangeError('bytes must be a whole number');
  const merged = { ...DEFAULT_WEIGHTS, ...weights };
  const entries = [];
  let total = 0;
  for (const [kind, weight] of Object.entries(merged)) {
    if (!(weight > 0) || (peerSubset && OUTSIDE_PEER.has(kind))) continue;
    if (typeof kinds[kind] !== 'function') throw new Error(`no generator for line kind "${kind}"`);
    entries.push([kinds[kind], weight]);
    total += weight;
  }
  if (total === 0) throw new Error('all line kinds have weight 0');

  const rng = makeRng(seed);
  // Kinds that yield several lines join them with `eol`.
  const state = { labels: 0, eol };
  const eolBytes = Buffer.byteLength(eol);
  // Lines are joined in batches: one array of millions of short strings costs more in garbage
  // collection than the drawing itself.
  const batches = [];
  let batch = [];
  let left = bytes;
  // Stop drawing while a whole line still fits for sure; the rest is filled with one comment.
  const reserve = 512;
  while (left > reserve) {
    const line = rng.weighted(entries, total)(rng, state) + eol;
    batch.push(line);
    left -= Buffer.byteLength(line);
    if (batch.length === 4096) {
      batches.push(batch.join(''));
      batch = [];
    }
  }
  if (left >= 1 + eolBytes) batch.push(';' + '-'.repeat(left - 1 - eolBytes) + eol);
  else if (left > 0) batch.push(' '.repeat(left));
  batches.push(batch.join(''));
  return { source: batches.join(''), keywords: cloneKeywords() };
}

function cloneKeywords() {
  return {
    instructions: [...KEYWORDS.instructions],
    precodes: [...KEYWORDS.precodes],
    directives: [...KEYWORDS.directives],
    commands: [...KEYWORDS.commands],
  };
}

module.exports = {
  generate, kinds, DEFAULT_WEIGHTS, KEYWORDS, mulberry32,
};
