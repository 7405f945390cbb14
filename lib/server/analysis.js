'use strict';
// Turns one parse result into what the editor features ask about: the definitions (labels) and
// the references (names used as operands, EQU values, NV0 pointer targets, format-call arguments
// and conditional operands), keyed by name as the parser compares names: exactly under strict
// rules, ignoring ASCII letter case otherwise. Positions stay the parser's; the features convert
// them for the editor.

/** @typedef {import('../../index.d.ts').ParseResult} ParseResult */
/** @typedef {import('../../index.d.ts').StatementNode} StatementNode */
/** @typedef {import('../../index.d.ts').Node} Node */
/** @typedef {import('../../index.d.ts').Range} Range */
/** @typedef {import('../../index.d.ts').Position} Position */

/**
 * @typedef {object} Occurrence
 * @property {string} name     the text as written
 * @property {string} key      the name as compared
 * @property {Range} range
 * @property {boolean} definition
 * @property {StatementNode | null} node   the defining statement, for a definition
 */

/** What a labelled statement defines, for symbols and hovers. */
const DEFINITION_KINDS = /** @type {Record<number, string>} */ ({
  0: 'label',
  1: 'label',
  3: 'EQU constant',
  4: 'EQU value',
  5: 'EQU memory',
  6: 'EQU symbol',
  7: 'DEF item',
  8: 'DEF item',
  9: 'DEF block',
  10: 'NV0 byte list',
  11: 'NV0 number',
  12: 'NV0 pointer',
  13: 'NV0 space',
});

/** @param {boolean} strict */
function nameKey(strict) {
  return strict ? (/** @type {string} */ name) => name : (/** @type {string} */ name) => name.replace(/[a-z]+/g, (s) => s.toUpperCase());
}

/** Compares parser positions. */
function compare(/** @type {Position} */ a, /** @type {Position} */ b) {
  return a.line - b.line || a.character - b.character;
}

class Analysis {
  /**
   * @param {ParseResult} result
   * @param {boolean} strict  the rules' "core.strict"
   */
  constructor(result, strict) {
    this.result = result;
    this.key = nameKey(strict);
    /** @type {Occurrence[]} in document order */
    this.occurrences = [];
    /** @type {Map<string, Occurrence[]>} */
    this.byKey = new Map();
    for (const node of result.nodes) this.visitStatement(node);
    this.occurrences.sort((a, b) => compare(a.range.start, b.range.start));
    for (const o of this.occurrences) {
      const list = this.byKey.get(o.key);
      if (list) list.push(o);
      else this.byKey.set(o.key, [o]);
    }
  }

  /** @param {StatementNode} node */
  visitStatement(node) {
    if ('label' in node && node.label !== undefined) this.add(node.label, node.range, true, node);
    switch (node.type) {
      case 3: case 4: case 6:
        this.visitValue(node.value);
        break;
      case 5: case 7: case 8: case 9:
        this.visitValue(node.size);
        this.visitValue(node.address);
        break;
      case 10:
        node.values.forEach((v) => this.visitValue(v));
        break;
      case 11:
        this.visitValue(node.numeric);
        break;
      case 12:
        this.visitValue(node.pointer);
        break;
      case 13:
        this.visitValue(node.size);
        break;
      case 15:
        for (const clause of node.clauses) {
          this.visitValue(clause.left);
          this.visitValue(clause.right);
          clause.subsequence.forEach((s) => this.visitStatement(s));
        }
        node.alternative.forEach((s) => this.visitStatement(s));
        break;
      case 16:
        if ('operands' in node) node.operands.forEach((v) => this.visitValue(v));
        break;
      case 17:
        for (const method of node.methods) method.args.forEach((v) => this.visitValue(v));
        break;
    }
  }

  /** @param {import('../../index.d.ts').ValueNode} value */
  visitValue(value) {
    if (!value) return;
    if (value.type === 19) this.add(value.identifier, value.range, false, null);
    else if (value.type === 24 && value.identifier !== '') {
      // The indirection's range may hold its "*" and modifier: the name is its tail.
      const { start, end } = value.range;
      const length = [...value.identifier].length;
      const range = start.line === end.line && end.character - start.character >= length
        ? { start: { line: end.line, character: end.character - length }, end }
        : value.range;
      this.add(value.identifier, range, false, null);
    } else if (value.type === 25) value.args.forEach((v) => this.visitValue(v));
  }

  /**
   * @param {string} name @param {Range} range @param {boolean} definition
   * @param {StatementNode | null} node
   */
  add(name, range, definition, node) {
    // Made-up nodes (defaults the parser fills in) sit at 0:0-0:0 with no text of their own.
    if (name === '' || (range.start.line === range.end.line && range.start.character === range.end.character)) return;
    this.occurrences.push({ name, key: this.key(name), range, definition, node });
  }

  /** The occurrence at a parser position (its end counts, so a cursor just after a name finds it). */
  at(/** @type {Position} */ position) {
    const list = this.occurrences;
    let lo = 0;
    let hi = list.length;
    while (lo < hi) {
      const mid = (lo + hi) >>> 1;
      if (compare(list[mid].range.start, position) <= 0) lo = mid + 1;
      else hi = mid;
    }
    for (let i = lo - 1; i >= 0 && i >= lo - 2; i--) {
      const o = list[i];
      if (compare(position, o.range.end) <= 0) return o;
    }
    return null;
  }

  /** Every occurrence of a name (definitions included), in document order. */
  all(/** @type {string} */ key) {
    return this.byKey.get(key) ?? [];
  }

  definitions(/** @type {string} */ key) {
    return this.all(key).filter((o) => o.definition);
  }
}

module.exports = { Analysis, DEFINITION_KINDS, nameKey, compare };
