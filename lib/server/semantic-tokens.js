'use strict';
// Semantic tokens for the whole document, from the nodes' ranges, with standard token types.
const { compare } = require('./analysis.js');

const TYPES = ['function', 'keyword', 'macro', 'method', 'variable', 'number', 'string', 'parameter', 'operator', 'decorator'];
const MODIFIERS = ['declaration', 'readonly'];
const T = Object.fromEntries(TYPES.map((t, i) => [t, i]));
const DECLARATION = 1;
const READONLY = 2;

/** @typedef {import('../../index.d.ts').Node} Node */
/** @typedef {{ range: import('../../index.d.ts').Range, type: number, modifiers: number }} Token */

/** @param {import('../../index.d.ts').StatementNode[]} nodes */
function collect(nodes) {
  /** @type {Token[]} */
  const tokens = [];
  /** @param {import('../../index.d.ts').Range} range @param {number} type @param {number} [modifiers] */
  const add = (range, type, modifiers = 0) => tokens.push({ range, type, modifiers });
  /** @param {import('../../index.d.ts').ValueNode} v */
  const value = (v) => {
    if (!v) return;
    switch (v.type) {
      case 19: case 24: add(v.range, T.variable); break;
      case 20: case 21: add(v.range, T.number); break;
      case 22: add(v.range, T.string); break;
      case 23: add(v.range, T.parameter); break;
      case 25: add(v.range, T.method); v.args.forEach(value); break;
    }
  };
  /** @param {import('../../index.d.ts').StatementNode[]} list */
  const statements = (list) => {
    for (const node of list) {
      if ('label' in node && node.label) add(node.range, T.variable, DECLARATION | (node.type === 3 ? READONLY : 0));
      else if (node.type !== 15 && node.type !== 16 && node.type !== 17 && node.type !== 14) add(node.range, T.keyword);
      switch (node.type) {
        case 3: case 4: case 6: value(node.value); break;
        case 5: case 7: case 8: case 9: value(node.size); value(node.address); break;
        case 10: node.values.forEach(value); break;
        case 11: value(node.numeric); break;
        case 12: value(node.pointer); break;
        case 13: value(node.size); break;
        case 14: add(node.range, T.decorator); break;
        case 15:
          for (const c of node.clauses) {
            add(c.range, T.operator);
            value(c.left);
            value(c.right);
            statements(c.subsequence);
          }
          statements(node.alternative);
          break;
        case 16:
          if ('operands' in node) {
            add(node.range, T.function);
            node.operands.forEach(value);
          }
          break;
        case 17:
          add(node.range, T.macro);
          for (const m of node.methods) {
            add(m.range, T.method);
            m.args.forEach(value);
          }
          break;
      }
    }
  };
  statements(nodes);
  return tokens;
}

/** @param {import('./documents.js').Parsed} parsed */
function encode(parsed) {
  if (!parsed.result) return [];
  const tokens = collect(parsed.result.nodes).sort((a, b) => compare(a.range.start, b.range.start));
  const lines = parsed.lines;
  /** @type {number[]} */
  const data = [];
  let line = 0;
  let character = 0;
  let endOffset = -1;
  for (const t of tokens) {
    const from = lines.offsetOfParser(t.range.start);
    const to = lines.offsetOfParser(t.range.end);
    // Made-up values have no text; tokens may not overlap and must stay on one editor line.
    if (to <= from || from < endOffset) continue;
    const start = lines.positionAt(from);
    const end = lines.positionAt(to);
    if (end.line !== start.line) continue;
    data.push(start.line - line, start.line === line ? start.character - character : start.character, end.character - start.character, t.type, t.modifiers);
    line = start.line;
    character = start.character;
    endOffset = to;
  }
  return data;
}

/** @param {import('./server.js').Context} context */
function register({ connection, documents }) {
  connection.languages.semanticTokens.on(async ({ textDocument }) => {
    const parsed = await documents.current(textDocument.uri);
    return { data: parsed ? encode(parsed) : [] };
  });
}

module.exports = {
  register,
  encode,
  TYPES,
  capabilities: { semanticTokensProvider: { legend: { tokenTypes: TYPES, tokenModifiers: MODIFIERS }, full: true } },
};
