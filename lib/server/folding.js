'use strict';
// Folding: each conditional as a whole and each of its branches, from the nodes; and runs of
// comment lines, read off the text's lines.
const { FoldingRangeKind } = require('vscode-languageserver');

/** @typedef {import('../../index.d.ts').StatementNode} StatementNode */

/** The last parser line a list of statements reaches. @param {StatementNode[]} nodes @param {number} line */
function lastLine(nodes, line) {
  for (const node of nodes) {
    line = Math.max(line, node.range.end.line);
    if (node.type === 15) {
      for (const c of node.clauses) line = lastLine(c.subsequence, Math.max(line, c.range.end.line));
      line = lastLine(node.alternative, line);
    }
  }
  return line;
}

/** @param {import('./documents.js').Parsed} parsed */
function foldingRanges(parsed) {
  /** @type {import('vscode-languageserver').FoldingRange[]} */
  const ranges = [];
  const lines = parsed.lines;
  /** Editor line of the start of a parser line. */
  const editorLine = (/** @type {number} */ line) => lines.positionAt(lines.offsetOfParser({ line, character: 0 })).line;
  /** Editor line of the end of a parser line's content. */
  const editorEndLine = (/** @type {number} */ line) => lines.positionAt(lines.offsetOfParser({ line, character: Number.MAX_SAFE_INTEGER })).line;
  const fold = (/** @type {number} */ from, /** @type {number} */ to) => {
    const start = editorLine(from);
    const end = editorEndLine(to);
    if (end > start) ranges.push({ startLine: start, endLine: end });
  };
  /** @param {StatementNode[]} nodes */
  const visit = (nodes) => {
    for (const node of nodes) {
      if (node.type !== 15) continue;
      const start = node.range.start.line;
      fold(start, lastLine([node], start));
      node.clauses.forEach((clause) => {
        fold(clause.range.start.line, lastLine(clause.subsequence, clause.range.start.line));
        visit(clause.subsequence);
      });
      if (node.alternative.length) {
        const first = node.alternative[0].range.start.line;
        const last = node.clauses[node.clauses.length - 1];
        const previous = last ? lastLine(last.subsequence, last.range.start.line) : first - 1;
        fold(Math.min(first, previous + 1), lastLine(node.alternative, first));
        visit(node.alternative);
      }
    }
  };
  if (parsed.result) visit(parsed.result.nodes);
  // Comment runs, on the editor's own lines.
  let run = -1;
  const text = parsed.text;
  const starts = lines.editorStarts;
  for (let line = 0; line <= starts.length; line++) {
    const comment = line < starts.length && /^[ \t]*;/.test(text.slice(starts[line], lines.editorLineEnd(line)));
    if (comment && run < 0) run = line;
    if (!comment && run >= 0) {
      if (line - 1 > run) ranges.push({ startLine: run, endLine: line - 1, kind: FoldingRangeKind.Comment });
      run = -1;
    }
  }
  return ranges;
}

/** @param {import('./server.js').Context} context */
function register({ connection, documents }) {
  connection.onFoldingRanges(async ({ textDocument }) => {
    const parsed = await documents.current(textDocument.uri);
    return parsed ? foldingRanges(parsed) : null;
  });
}

module.exports = { register, capabilities: { foldingRangeProvider: true } };
