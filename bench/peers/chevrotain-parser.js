'use strict';
// The label and instruction lines of the controller language, parsed in plain JavaScript with the
// Chevrotain toolkit. It is the yardstick for the native parser: the benchmark times it on the
// same input, and the test checks that it builds exactly the same node objects (same properties
// in the same order, same ranges and numbers), so that the comparison is like for like.
//
// How it mirrors the native lexer and parser:
// - Chevrotain's lexer cuts the text with one pattern per scanner, in the native scanner order.
//   Patterns that depend on where a word stands (label column, first word of a line, keyword
//   tables, name hashes) cannot be expressed in a pattern, so a second pass over the tokens gives
//   each one its final kind. Tokens that the native lexer rejects with a diagnostic are dropped in
//   that pass; they still count as "a token was read" for the first-word-of-a-line rule, while
//   characters that no pattern accepts are skipped by Chevrotain's lexer and do not count.
// - Ranges count characters, not UTF-16 units: a character outside the basic plane (a surrogate
//   pair in JavaScript) counts as one. Only line feeds start a new line.
// - The native driver recovers from an error by skipping to the end of the line, and a statement
//   never spans a line feed (except one inside a string literal). So the token list is split at
//   line feed tokens and every line is parsed by one call of the `line` rule; a recognition error
//   ends the line, and the nodes that were completed before it are kept.
//
// Directive, command, block-tag and conditional lines are outside this subset: their lines end up
// as parse errors here and produce no node.

let chevrotainModule;

/** Loads Chevrotain (an ES module) once; works with every Node.js version the package supports. */
async function loadChevrotain() {
  if (!chevrotainModule) chevrotainModule = await import('chevrotain');
  return chevrotainModule;
}

// Node type numbers of the result objects.
const TYPE_ADDRESS = 1;
const TYPE_INSTRUCTION = 16;
const TYPE_NAME = 19;
const TYPE_INTEGER = 20;
const TYPE_REAL = 21;
const TYPE_TEXT = 22;

// Keyword kinds in the keyword tables, in the order in which the categories are read: a word in
// several categories keeps the kind of the first.
const KIND_COMMAND = 11;
const KIND_PRECODE = 12;
const KIND_DIRECTIVE = 13;
const KIND_INSTRUCTION = 14;
const CATEGORIES = [
  ['precodes', KIND_PRECODE],
  ['commands', KIND_COMMAND],
  ['directives', KIND_DIRECTIVE],
  ['instructions', KIND_INSTRUCTION],
];

// Upper-case name hashes of the conditional keywords written after "#".
const CONDITIONAL_HASHES = new Set([0x597394, 0x0d1ae6ab, 0x7c8450ce, 0xb0785edd]);
// Upper-case name hashes of the precode words, to their precode code.
const PRECODE_CODES = new Map([
  [0x0b87f82c, 239],
  [0x0b883274, 237], // also marks the instruction as extended
  [0x7c870d4c, 238],
]);
const EXTENDED_PRECODE = 237;
// Characters per lexing slice (rounded up to the end of a line).
const SLICE_LENGTH = 1 << 16;
const REGISTER_LETTERS = 'xyhmsipwq';
// The largest distance from a whole number at which a decimal fraction still lexes as an integer:
// the single-precision value nearest to 1e-5, as the native lexer compares in single precision.
const INTEGRAL_TOLERANCE = Math.fround(0.00001);

/** Folds ASCII letters a-z to upper case and leaves every other character alone. */
function upperAscii(text) {
  return /[a-z]/.test(text) ? text.replace(/[a-z]+/g, (s) => s.toUpperCase()) : text;
}

/**
 * The 32-bit name hash: 5381 for the empty text, and hash(rest) * 33 + c for a text c + rest, with
 * each byte taken as a signed 8-bit value; the text ends at its first zero byte.
 */
function hashName(text, caseMode) {
  const folded = caseMode === 1 ? upperAscii(text) : caseMode === 2 ? text.toLowerCase() : text;
  let bytes = Buffer.from(folded, 'utf8');
  const zero = bytes.indexOf(0);
  if (zero >= 0) bytes = bytes.subarray(0, zero);
  let hash = 5381;
  for (let i = bytes.length - 1; i >= 0; i--) {
    const c = bytes[i] >= 128 ? bytes[i] - 256 : bytes[i];
    hash = (Math.imul(hash, 33) + c) >>> 0;
  }
  return hash;
}

/** Compares two names under a case mode: 0 exact, 1 ignoring the case of ASCII letters. */
function equalsFolded(caseMode, a, b) {
  if (caseMode === 0) return a === b;
  return a.length === b.length && upperAscii(a) === upperAscii(b);
}

/**
 * Reads the longest decimal number at the start of a text, as the C library's strtof would:
 * a text that holds no number reads as 0. The texts here come from the number scanner, so they
 * never hold blanks, hexadecimal prefixes or words.
 */
function readFloat(text) {
  const value = Number(text);
  if (!Number.isNaN(value)) return Math.fround(value);
  const m = /^[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?/.exec(text);
  return m ? Math.fround(Number(m[0])) : 0;
}

/** Truncates a single-precision value to a whole number the way a cast to a 64-bit integer does. */
function toInteger(value) {
  if (!Number.isFinite(value)) return 0;
  return Math.trunc(value) + 0; // + 0 turns -0 into 0: an integer has no negative zero
}

/** Number of characters (code points) in text[from, to): UTF-16 low surrogates do not count. */
function countChars(text, from, to) {
  let n = to - from;
  for (let i = from; i < to; i++) {
    const c = text.charCodeAt(i);
    if (c >= 0xdc00 && c <= 0xdfff) n--;
  }
  return n;
}

/**
 * Matches a string literal at `offset` (a double quote) exactly as the native string scanner reads
 * it: the first character after the opening quote is taken without looking for the line end, and
 * so is the character after a doubled quote. The match carries `payload` true when the literal is
 * closed; an unclosed literal is still consumed, and the token pass drops it.
 */
function matchString(text, offset) {
  if (text.charCodeAt(offset) !== 34) return null;
  const n = text.length;
  let i = offset + 1;
  let c = i < n ? text.charCodeAt(i++) : -1;
  let closed = false;
  for (;;) {
    const next = i < n ? text.charCodeAt(i) : -1;
    if (next === 10 || next === -1) {
      closed = c === 34;
      break;
    }
    if (c === 34) {
      if (next !== 34) {
        closed = true;
        break;
      }
      i++; // the second quote of a doubled pair
      const d = i < n ? text.charCodeAt(i++) : -1;
      if (d === 34) {
        closed = true;
        break;
      }
    }
    c = i < n ? text.charCodeAt(i++) : -1;
  }
  const match = [text.slice(offset, i)];
  match.payload = closed;
  return match;
}

/** Builds the lexer, the token kinds and the parser class once. */
function build(chevrotain) {
  const { createToken, Lexer, EmbeddedActionsParser, EOF } = chevrotain;
  const BLANKS = '[ \\t\\v\\f\\r]';

  // Lexer patterns in the order of the native scanners: the first that matches wins, as there.
  // Blanks, comments and the line feed come first; no other pattern starts with their characters.
  const lex = {
    Blank: createToken({ name: 'Blank', pattern: new RegExp(BLANKS + '+'), group: Lexer.SKIPPED }),
    Comment: createToken({ name: 'Comment', pattern: /;[^\n]*/, group: Lexer.SKIPPED }),
    Newline: createToken({ name: 'Newline', pattern: /\n/, line_breaks: true }),
    HashNumber: createToken({ name: 'HashNumber', pattern: new RegExp('#' + BLANKS + '*[0-9]+') }),
    HashWord: createToken({
      name: 'HashWord', pattern: new RegExp('#' + BLANKS + '*[A-Za-z!_][A-Za-z0-9_.]*'),
    }),
    HashBad: createToken({ name: 'HashBad', pattern: new RegExp('#' + BLANKS + '*') }),
    Word: createToken({ name: 'Word', pattern: /[A-Za-z_!][A-Za-z0-9_.]*/ }),
    Signed: createToken({ name: 'Signed', pattern: /[+-][INin][A-Za-z]*/ }),
    At: createToken({ name: 'At', pattern: /@[A-Za-z]*/ }),
    // A sign may be followed by blanks; a dot may be doubled ("..5"), as the scanner takes a
    // second dot before it looks for digits; an exponent without digits is a lexical error.
    Number: createToken({
      name: 'Number',
      pattern: new RegExp(
        '(?:[+-]' + BLANKS + '*)?(?:\\d+(?:\\.\\d*)?|\\.\\.?\\d*)(?:[eE][+-]?\\d*)?'),
    }),
    Sign: createToken({ name: 'Sign', pattern: new RegExp('[+-]' + BLANKS + '*') }),
    Hex: createToken({ name: 'Hex', pattern: /'[0-9A-Fa-f]*/ }),
    Binary: createToken({ name: 'Binary', pattern: /%[01]*/ }),
    String: createToken({
      name: 'String', pattern: { exec: matchString }, line_breaks: true, start_chars_hint: ['"'],
    }),
    Star: createToken({ name: 'Star', pattern: /\*[+-]?/ }),
    Paren: createToken({ name: 'Paren', pattern: /[()]/ }),
    Register: createToken({ name: 'Register', pattern: /=[A-Za-z]?/ }),
    Colon: createToken({ name: 'Colon', pattern: /:/ }),
    Comma: createToken({ name: 'Comma', pattern: /,/ }),
  };
  const lexer = new Lexer(Object.values(lex), {
    positionTracking: 'onlyOffset',
    lineTerminatorsPattern: /\n/,
    lineTerminatorCharacters: ['\n'],
    ensureOptimizations: true,
  });

  // Token kinds the grammar works with. The token pass moves every lexer token to one of these
  // (Colon and Comma keep their lexer type).
  const kind = (name) => createToken({ name, pattern: Lexer.NA });
  const T = {
    Identifier: kind('Identifier'),
    HashName: kind('HashName'),
    HashNumber: kind('HashNumberKind'),
    HexLiteral: kind('HexLiteral'),
    BinaryLiteral: kind('BinaryLiteral'),
    Integer: kind('Integer'),
    Real: kind('Real'),
    String: kind('StringKind'),
    Command: kind('Command'),
    Precode: kind('Precode'),
    Directive: kind('Directive'),
    Instruction: kind('Instruction'),
    Conditional: kind('Conditional'),
    Other: kind('Other'), // operators, register literals and lone signs: never a value here
    Colon: lex.Colon,
    Comma: lex.Comma,
  };
  const keywordKind = new Map([
    [KIND_COMMAND, T.Command],
    [KIND_PRECODE, T.Precode],
    [KIND_DIRECTIVE, T.Directive],
    [KIND_INSTRUCTION, T.Instruction],
  ]);

  class LineParser extends EmbeddedActionsParser {
    constructor() {
      super(Object.values(T), { recoveryEnabled: false, maxLookahead: 1 });
      const $ = this;
      // Set per parse: where finished nodes go, and the node factory (which also collects the
      // diagnostics). Set per line: whether the line's statement failed after its mnemonic.
      this.out = null;
      this.factory = null;
      this.statementFailed = false;

      $.RULE('line', () => {
        $.OR([
          { ALT: () => $.SUBRULE($.labelled) },
          { ALT: () => $.SUBRULE($.instruction) },
        ]);
      });

      // A label alone, or in front of an instruction on the same line.
      $.RULE('labelled', () => {
        const label = $.CONSUME(T.Identifier);
        const colon = $.OPTION(() => $.CONSUME(T.Colon));
        $.ACTION(() => {
          if (colon === undefined) $.factory.diagnostic(1501, 2, label);
          $.out.push($.factory.address(label));
        });
        $.OPTION2(() => $.SUBRULE($.instruction));
      });

      $.RULE('instruction', () => {
        let mnemonic;
        const precodes = [];
        $.OR([
          { ALT: () => { mnemonic = $.CONSUME(T.Instruction); } },
          {
            ALT: () => {
              $.AT_LEAST_ONE(() => {
                precodes.push($.CONSUME(T.Precode));
                $.CONSUME(T.Colon);
              });
              // After precodes, a word that is no keyword is a mnemonic too.
              mnemonic = $.OR2([
                { ALT: () => $.CONSUME2(T.Instruction) },
                { ALT: () => $.CONSUME(T.Identifier) },
              ]);
            },
          },
        ]);
        const operands = [];
        $.OPTION(() => {
          operands.push($.SUBRULE($.value));
          $.MANY(() => {
            $.CONSUME(T.Comma);
            operands.push($.SUBRULE2($.value));
          });
        });
        $.ACTION(() => {
          // Whatever follows a mnemonic on its line must be a value: a token that starts none
          // fails the statement, which is then dropped, rather than counting as a stray token.
          const next = $.LA(1);
          if (operands.length === 0 && next.tokenType !== EOF) {
            $.factory.diagnostic(2005, 1, next);
            $.statementFailed = true;
            return;
          }
          $.out.push($.factory.instruction(mnemonic, precodes, operands));
        });
      });

      // One alternative per value token kind; `make` names the node factory method. The array is
      // built once: a fresh one per call would be garbage for every operand.
      const valueAlt = (type, make) => ({
        ALT: () => {
          const token = $.CONSUME(type);
          return $.ACTION(() => $.factory[make](token));
        },
      });
      const values = [
        valueAlt(T.Identifier, 'name'),
        valueAlt(T.HashName, 'name'),
        valueAlt(T.Instruction, 'name'),
        valueAlt(T.Integer, 'integer'),
        valueAlt(T.HexLiteral, 'integer'),
        valueAlt(T.BinaryLiteral, 'integer'),
        valueAlt(T.HashNumber, 'integer'),
        valueAlt(T.Real, 'real'),
        valueAlt(T.String, 'text'),
      ];
      $.RULE('value', () => $.OR(values));

      this.performSelfAnalysis();
    }
  }

  return { lexer, lex, T, keywordKind, EOF, parser: new LineParser() };
}

/**
 * Creates the node objects, with their properties set in the same order as the native
 * serialisation, for one parse (file name, character counting and diagnostics).
 */
class NodeFactory {
  constructor(name, countWide, diagnostics) {
    this.filePath = name === '<anonymous>' ? undefined : name;
    this.countWide = countWide;
    this.diagnostics = diagnostics;
  }

  /** The token's range: from its start to just after its last character. */
  range(token) {
    const image = token.image;
    const start = { line: token.line, character: token.character };
    const lf = token.multiline ? image.lastIndexOf('\n') : -1;
    let end;
    if (lf < 0) {
      const length = this.countWide ? countChars(image, 0, image.length) : image.length;
      end = { line: token.line, character: token.character + length };
    } else {
      let lines = 0;
      for (let i = image.indexOf('\n'); i >= 0; i = image.indexOf('\n', i + 1)) lines++;
      const tail = image.length - lf - 1;
      end = {
        line: token.line + lines,
        character: this.countWide ? countChars(image, lf + 1, image.length) : tail,
      };
    }
    return { start, end };
  }

  base(token, type) {
    const node = { range: this.range(token), type };
    if (this.filePath !== undefined) node.filePath = this.filePath;
    return node;
  }

  diagnostic(code, severity, token) {
    const d = { code: `VEXA${code}`, severity };
    if (token && token.line !== undefined) d.range = this.range(token);
    this.diagnostics.push(d);
  }

  address(label) {
    const node = this.base(label, TYPE_ADDRESS);
    node.address = -1;
    node.label = label.text;
    node.refc = 0;
    return node;
  }

  instruction(mnemonic, precodes, operands) {
    let extended = false;
    let chosen = 0;
    for (const precode of precodes) {
      const code = PRECODE_CODES.get(hashName(precode.text, 1)) || 0;
      if (code === EXTENDED_PRECODE) {
        if (extended) this.diagnostic(1603, 2, precode);
        extended = true;
      }
      // The first recognised precode wins; every precode after it draws a warning.
      if (chosen !== 0) this.diagnostic(1604, 2, precode);
      else chosen = code;
    }
    const node = this.base(mnemonic, TYPE_INSTRUCTION);
    if (extended) node.extended = true;
    node.name = mnemonic.text;
    node.precode = chosen;
    node.operands = operands;
    return node;
  }

  name(token) {
    const node = this.base(token, TYPE_NAME);
    node.identifier = token.text;
    if (token.tokenType.name === 'HashName') node.fixed = true;
    return node;
  }

  integer(token) {
    const node = this.base(token, TYPE_INTEGER);
    const text = token.text;
    switch (token.tokenType.name) {
      case 'HexLiteral': node.value = parseInt(text.slice(1), 16) >>> 0; break;
      case 'BinaryLiteral': node.value = parseInt(text.slice(1), 2) >>> 0; break;
      default: node.value = toInteger(readFloat(text)); break;
    }
    node.buffer = text;
    if (token.tokenType.name === 'HashNumberKind') node.fixed = true;
    return node;
  }

  real(token) {
    const node = this.base(token, TYPE_REAL);
    node.value = readFloat(token.text);
    node.buffer = token.text;
    return node;
  }

  text(token) {
    const node = this.base(token, TYPE_TEXT);
    node.value = token.text;
    return node;
  }
}

/**
 * Creates the peer: `keywords(words, strict)` builds a keyword table like the native `keywords`,
 * and `parse(name, source, table, rules)` returns {optimize, nodes, diagnostics} synchronously.
 * `source` is a string or a Buffer of UTF-8. The rules object is the one the native parse takes.
 */
async function createPeer() {
  const built = build(await loadChevrotain());
  const { lexer, lex, T, keywordKind, parser } = built;

  function keywords(words, strict) {
    const map = new Map();
    for (const [category, k] of CATEGORIES) {
      if (!Object.prototype.hasOwnProperty.call(words, category)) continue;
      for (const word of words[category]) {
        const key = strict ? word : upperAscii(word);
        if (!map.has(key)) map.set(key, k);
      }
    }
    return { strict: Boolean(strict), words: map };
  }

  /**
   * Pass two: gives every token its final kind and position, drops the tokens that the native
   * lexer rejects, and splits the rest into lines.
   */
  function classify(tokens, text, table, rules, factory, firstLine) {
    const caseMode = rules['core.strict'] ? 0 : 1;
    const strictRegisters = Boolean(rules['core.strict']);
    const lookup = (word) => table.words.get(table.strict ? word : upperAscii(word)) || 0;
    const countWide = factory.countWide;
    const lines = [];
    let current = [];
    let line = firstLine;
    let lineStart = 0;
    let atLineStart = true;
    const fail = (token, code) => factory.diagnostic(code, 1, token);

    for (let i = 0; i < tokens.length; i++) {
      const token = tokens[i];
      const type = token.tokenType;
      const offset = token.startOffset;
      const image = token.image;
      token.line = line;
      token.character = countWide ? countChars(text, lineStart, offset) : offset - lineStart;
      token.text = image;
      let result = null; // the grammar token kind, or null when the token is dropped

      if (type === lex.Newline) {
        if (current.length > 0) lines.push(current);
        current = [];
        line++;
        lineStart = offset + 1;
        atLineStart = true;
        continue;
      } else if (type === lex.Word) {
        if (token.character === 0) {
          result = T.Identifier; // the label column: never a keyword
        } else {
          const k = lookup(image);
          if (k) result = keywordKind.get(k);
          else result = atLineStart ? T.Instruction : T.Identifier;
        }
      } else if (type === lex.Number) {
        result = classifyNumber(token, image);
        if (result === null) fail(token, 1306);
      } else if (type === lex.Colon || type === lex.Comma) {
        result = type;
      } else if (type === lex.Hex) {
        const digits = image.slice(1);
        if (digits.length === 0) fail(token, 1302);
        else if (digits.length > 8 && digits.replace(/^0+/, '').length > 8) fail(token, 3101);
        else result = T.HexLiteral;
      } else if (type === lex.String) {
        if (token.payload) {
          result = T.String;
          token.text = image.slice(1, -1);
        } else {
          fail(token, 1302);
        }
        const lf = image.lastIndexOf('\n');
        if (lf >= 0) {
          token.multiline = true;
          for (let j = image.indexOf('\n'); j >= 0; j = image.indexOf('\n', j + 1)) line++;
          lineStart = offset + lf + 1;
        }
      } else if (type === lex.HashNumber) {
        result = T.HashNumber;
        token.text = image.replace(/^#[ \t\v\f\r]*/, '');
      } else if (type === lex.HashWord) {
        const name = image.replace(/^#[ \t\v\f\r]*/, '');
        if (CONDITIONAL_HASHES.has(hashName(name, caseMode))) {
          result = T.Conditional;
        } else {
          const k = lookup('#' + name);
          if (k) result = keywordKind.get(k);
          else result = atLineStart ? T.Command : T.HashName;
          token.text = result === T.HashName ? name : '#' + name;
        }
      } else if (type === lex.Binary) {
        const digits = image.slice(1);
        if (digits.length === 0) result = T.Other; // a lone "%"
        else if (digits.length > 32 && digits.replace(/^0+/, '').length > 32) fail(token, 3102);
        else result = T.BinaryLiteral;
      } else if (type === lex.Signed) {
        const word = image.slice(1);
        if (equalsFolded(caseMode, word, 'INF') || equalsFolded(caseMode, word, 'NAN')) {
          result = T.Identifier;
        } else {
          fail(token, 1307);
        }
      } else if (type === lex.Register) {
        if (image.length === 1) fail(token, 1302);
        else if (REGISTER_LETTERS.includes(strictRegisters ? image[1] : image[1].toLowerCase())) {
          result = T.Other;
        } else {
          fail(token, 1308);
        }
      } else if (type === lex.At) {
        fail(token, 4101);
      } else if (type === lex.HashBad) {
        fail(token, 1304);
      } else {
        result = T.Other; // signs, stars and parentheses
      }

      atLineStart = false;
      if (result !== null) {
        token.tokenType = result;
        token.tokenTypeIdx = result.tokenTypeIdx;
        current.push(token);
      }
    }
    if (current.length > 0) lines.push(current);
    return { lines, line };
  }

  /** Integer or Real for a number token, and its text without the blanks after the sign. */
  function classifyNumber(token, image) {
    let text = image;
    let sign = '';
    if (image[0] === '+' || image[0] === '-') {
      sign = image[0];
      text = sign + image.slice(1).replace(/^[ \t\v\f\r]+/, '');
    }
    const m = /^[+-]?(?:\d+(\.(\d*))?|\.\.?(\d*))(?:[eE][+-]?(\d*))?$/.exec(text);
    const exponent = m[4];
    if (exponent === '') return null; // "1e" or "1e+": no exponent digits
    token.text = text;
    const fraction = m[2] !== undefined ? m[2] : m[3];
    if (fraction === undefined || fraction === '') return T.Integer;
    if (exponent !== undefined) return T.Real;
    const v = readFloat(text);
    return Math.abs(Math.round(v) - v) <= INTEGRAL_TOLERANCE ? T.Integer : T.Real;
  }

  /** Maps a recognition error of one line to the native diagnostic code, as far as it can. */
  function lineErrorCode(error, nodesBefore, nodesAfter) {
    const rules = error.context ? error.context.ruleStack : [];
    const rule = rules[rules.length - 1];
    if (error.name === 'NotAllInputParsedException') return nodesAfter > nodesBefore ? 1203 : 0;
    if (rule === 'line') return 1001;
    if (rule === 'value') return 2005;
    if (rule === 'instruction') {
      return error.name === 'MismatchedTokenException' &&
        error.previousToken && error.previousToken.tokenType === T.Precode ? 1601 : 1602;
    }
    return 0;
  }

  /** The end of the slice that starts at `from`: just after the first line feed past `at`. */
  function sliceEnd(text, at) {
    if (at >= text.length) return text.length;
    const lf = text.indexOf('\n', at);
    return lf < 0 ? text.length : lf + 1;
  }

  function parse(name, source, table, rules) {
    let text = typeof source === 'string' ? source : Buffer.from(source).toString('utf8');
    const nul = text.indexOf('\0');
    if (nul >= 0) text = text.slice(0, nul); // the native lexer stops at a zero byte
    const diagnostics = [];
    const countWide = /[\uD800-\uDFFF]/.test(text);
    const factory = new NodeFactory(name, countWide, diagnostics);
    const nodes = [];
    parser.out = nodes;
    parser.factory = factory;
    // The text is lexed and parsed in slices of whole lines, so that the tokens of one slice are
    // garbage before the next is lexed instead of all living until the end of a large parse.
    let line = 0;
    for (let from = 0; from < text.length;) {
      let to = sliceEnd(text, from + SLICE_LENGTH);
      let slice;
      let lexed;
      for (;;) {
        slice = text.slice(from, to);
        lexed = lexer.tokenize(slice);
        // A string literal may run over a line feed; when one reaches the end of the slice, the
        // slice is grown to the next line feed and lexed again.
        const last = lexed.tokens[lexed.tokens.length - 1];
        if (to === text.length || last === undefined || last.tokenType !== lex.String ||
            last.endOffset !== slice.length - 1) break;
        to = sliceEnd(text, to);
      }
      for (const e of lexed.errors) {
        const args = [slice.substr(e.offset, e.length)];
        diagnostics.push({ code: 'VEXA1002', severity: 1, args });
      }
      const classified = classify(lexed.tokens, slice, table, rules, factory, line);
      line = classified.line;
      lexed = null;
      for (const tokens of classified.lines) {
        parser.input = tokens;
        parser.statementFailed = false;
        const before = nodes.length;
        parser.line();
        for (const error of parser.errors) {
          if (parser.statementFailed && error.name === 'NotAllInputParsedException') continue;
          const code = lineErrorCode(error, before, nodes.length);
          if (code) factory.diagnostic(code, 1, error.token);
        }
      }
      from = to;
    }
    parser.out = null;
    parser.factory = null;
    parser.input = [];
    return { optimize: 0, nodes, diagnostics };
  }

  return { keywords, parse };
}

module.exports = { createPeer, hashName };
