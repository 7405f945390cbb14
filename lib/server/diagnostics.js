'use strict';
// Diagnostics as the editor shows them: the parser's, with their code, severity and message, on
// the editor's lines and characters; a parse that failed as one error at the start; and the
// problems of a vexa.json on that file.
const { format } = require('../messages.js');
const { LineIndex } = require('./positions.js');

/** @typedef {import('vscode-languageserver').Diagnostic} LspDiagnostic */

const SOURCE = 'vexa';
/** An editor cannot show more than this usefully; the rest would only slow every keystroke. */
const MOST_PUBLISHED = 1000;

/** @param {import('./documents.js').Parsed} parsed @returns {LspDiagnostic[]} */
function sourceDiagnostics(parsed) {
  if (!parsed.result) {
    const reason = /** @type {Error} */ (parsed.error)?.message ?? String(parsed.error);
    return [{
      range: { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } },
      severity: 1,
      source: SOURCE,
      message: `the parser failed on this text: ${reason}`,
    }];
  }
  const list = parsed.result.diagnostics;
  const count = Math.min(list.length, MOST_PUBLISHED);
  /** @type {LspDiagnostic[]} */
  const out = new Array(count);
  for (let i = 0; i < count; i++) {
    const d = list[i];
    out[i] = {
      range: parsed.lines.rangeOf(d.range),
      severity: d.severity === 1 ? 1 : 2,
      code: d.code,
      source: SOURCE,
      message: format(d),
    };
    if (d.args) out[i].data = { args: d.args };
  }
  return out;
}

/**
 * @param {string} text  the configuration file's text
 * @param {import('../config.js').ConfigProblem[]} problems
 * @param {boolean} utf32
 * @returns {LspDiagnostic[]}
 */
function configDiagnostics(text, problems, utf32) {
  const lines = new LineIndex(text, utf32);
  return problems.map((p) => ({
    range: lines.rangeOfOffsets(p.offset, p.offset + Math.max(0, p.length)),
    severity: 1,
    source: SOURCE,
    message: p.message,
  }));
}

module.exports = { sourceDiagnostics, configDiagnostics, SOURCE, MOST_PUBLISHED };
