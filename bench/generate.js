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
const DIRECTIVES = ['EQU', 'BEQU', 'WEQU', 'DEFSEM', 'DEFBLOCK', 'NV0', 'NV0B', 'NV0W', 'NVEM0'];
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

  /** A label alone in column 0: "LOOP1:". */
  label(rng, state) {
    state.labels += 1;
    return `${rng.pick(LABEL_WORDS)}${state.labels}:`;
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

// ---- Namespace commands -------------------------------------------------------------------------
// Command lines: "#HMI" lines whose methods take keyed arguments and format calls ("b", "f", "s",
// "nz", "L" and parenthesised lists, now and then nested), and other commands with plain values.
// They are drawn only with the `commands` option of `generate`, which the peer comparison does
// not set: its peer parser has no commands.
// Beside the default kinds about one line in sixteen is a command, two thirds of them "#HMI".
const COMMAND_WEIGHTS = { hmi: 4, command: 2 };
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
  // Label lines turn on once the native parser builds label nodes: until then a line that starts
  // with a label gives error 1001 and no node there, and the node lists could not be compared.
  label: 0,
};

const KEYWORDS = {
  instructions: INSTRUCTIONS,
  precodes: PRECODES,
  directives: DIRECTIVES,
  commands: COMMANDS,
};

/**
 * Generates source text of exactly `bytes` bytes of UTF-8.
 * @param {{seed?: number, bytes: number, weights?: Object<string, number>, eol?: string,
 *   commands?: boolean}} options
 *   weights: per line kind, merged over DEFAULT_WEIGHTS; eol: the line ending ("\n" or "\r\n");
 *   commands: draw namespace command lines too (COMMAND_WEIGHTS, under `weights`).
 * @returns {{source: string, keywords: {instructions: string[], precodes: string[],
 *   directives: string[], commands: string[]}}}
 */
function generate({ seed = 1, bytes, weights = {}, eol = '\n', commands = false } = {}) {
  if (!Number.isInteger(bytes) || bytes < 0) throw new RangeError('bytes must be a whole number');
  const merged = { ...DEFAULT_WEIGHTS, ...(commands ? COMMAND_WEIGHTS : {}), ...weights };
  const entries = [];
  let total = 0;
  for (const [kind, weight] of Object.entries(merged)) {
    if (!(weight > 0)) continue;
    if (typeof kinds[kind] !== 'function') throw new Error(`no generator for line kind "${kind}"`);
    entries.push([kinds[kind], weight]);
    total += weight;
  }
  if (total === 0) throw new Error('all line kinds have weight 0');

  const rng = makeRng(seed);
  const state = { labels: 0 };
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

module.exports = { generate, kinds, DEFAULT_WEIGHTS, KEYWORDS, mulberry32 };
