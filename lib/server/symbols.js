'use strict';
// Document symbols, nested: labelled statements (labels, EQU constants and values, DEF and NV0
// items), commands, and conditionals holding one child per branch with what the branch contains.
const { SymbolKind } = require('vscode-languageserver');
const { DEFINITION_KINDS, compare } = require('./analysis.js');

/** @typedef {import('vscode-languageserver').DocumentSymbol} DocumentSymbol */
/** @typedef {import('../../index.d.ts').StatementNode} StatementNode */
/** @typedef {import('../../index.d.ts').Range} Range */

const COMPARATORS = ['EQ', 'NE', 'GT', 'GE', 'LT', 'LE'];

/** @param {number} type */
function symbolKind(type) {
  if (type === 0 || type === 1) return SymbolKind.Function;
  if (type === 3) return SymbolKind.Constant;
  return SymbolKind.Variable;
}

/** The smallest parser range holding all the given ones. @param {Range[]} ranges */
function span(ranges) {
  let start = ranges[0].start;
  let end = ranges[0].end;
  for (const r of ranges) {
    if (compare(r.start, start) < 0) start = r.start;
    if (compare(r.end, end) > 0) end = r.end;
  }
  return { start, end };
}

/** @param {import('./positions.js').LineIndex} lines */
function builder(lines) {
  /** @param {string} name @param {SymbolKind} kind @param {Range} selection @param {Range} whole @param {DocumentSymbol[]} children @param {string} [detail] */
  const make = (name, kind, selection, whole, children, detail) => {
    /** @type {DocumentSymbol} */
    const s = { name, kind, range: lines.rangeOf(whole), selectionRange: lines.rangeOf(selection), children };
    if (detail) s.detail = detail;
    return s;
  };

  /** @param {StatementNode[]} nodes @returns {{ symbols: DocumentSymbol[], ranges: Range[] }} */
  function list(nodes) {
    /** @type {DocumentSymbol[]} */
    const symbols = [];
    const ranges = nodes.map((n) => n.range);
    for (const node of nodes) {
      if ('label' in node && node.label) {
        symbols.push(make(node.label, symbolKind(node.type), node.range, node.range, [], DEFINITION_KINDS[node.type]));
      } else if (node.type === 17) {
        symbols.push(make(node.name, SymbolKind.Namespace, node.range, node.range, [], node.methods.map((m) => m.name).join(', ')));
      } else if (node.type === 15) {
        const { symbol, range } = conditional(node);
        symbols.push(symbol);
        ranges.push(range);
      }
    }
    return { symbols, ranges };
  }

  /** @param {import('../../index.d.ts').ConditionalNode} node */
  function conditional(node) {
    /** @type {DocumentSymbol[]} */
    const branches = [];
    /** @type {Range[]} */
    const all = [node.range];
    node.clauses.forEach((clause, i) => {
      const inner = list(clause.subsequence);
      const range = span([clause.range, ...inner.ranges]);
      all.push(range);
      const name = `${i === 0 ? '#IF' : '#ELSEIF'} ${COMPARATORS[clause.comparator] ?? ''}`.trim();
      branches.push(make(name, SymbolKind.Boolean, clause.range, range, inner.symbols));
    });
    if (node.alternative.length) {
      const inner = list(node.alternative);
      const range = span(inner.ranges);
      all.push(range);
      branches.push(make('#ELSE', SymbolKind.Boolean, node.alternative[0].range, range, inner.symbols));
    }
    const range = span(all);
    return { symbol: make('#IF', SymbolKind.Struct, node.range, range, branches), range };
  }

  return list;
}

/** @param {import('./server.js').Context} context */
function register({ connection, documents }) {
  connection.onDocumentSymbol(async ({ textDocument }) => {
    const parsed = await documents.current(textDocument.uri);
    if (!parsed?.result) return [];
    return builder(parsed.lines)(parsed.result.nodes).symbols;
  });
}

module.exports = { register, capabilities: { documentSymbolProvider: true } };
