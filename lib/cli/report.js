'use strict';
// How vexa-parse writes one file's result: diagnostics in the compiler convention with a window of
// the source line under each, an outline of the nodes (--tree), or one line of JSON (--json). All
// three go out piece by piece through an Output, whatever the size of the result.
const { format } = require('../messages.js');
const { kindOf } = require('../node-kinds.js');
const { visible, isUnsafe, codePoint } = require('./visible.js');
const { SourceLines, excerpt, positionOf } = require('./source-lines.js');

function byPosition(a, b) {
  return a.range.start.line - b.range.start.line || a.range.start.character - b.range.start.character;
}

// The message of a diagnostic for a terminal. An unexpected character is described from the
// source: one the terminal would act on ("Control Code" in the argument, or a character that
// reorders text) by its code point, one that is no whole UTF-8 character by its bytes (the
// argument holds replacement characters).
function message(d, lines) {
  const arg = d.args?.[0];
  if (d.code === 'VEXA1002' && arg !== undefined && (arg === 'Control Code' || /[\ufffd]|[^\t\P{Cc}]|[\u202a-\u202e\u2066-\u2069]/u.test(arg))) {
    lines.seek(d.range.start.line);
    const char = lines.charAt(d.range.start.character);
    if (char && char.code !== null && isUnsafe(char.code)) return `${format({ code: d.code, args: ['Control Code'] })} ${codePoint(char.code)}`;
    if (char && char.code === null) return visible(format({ code: d.code, args: [char.shown] }));
  }
  return visible(format(d));
}

/**
 * Writes the diagnostics of one file, sorted by position, at most `limit` of them (0: all) in the
 * order the parser reported them; `nul` is the position of a NUL byte that ended the text, if any.
 * Returns the counts: { errors, warnings, shown, reported }.
 */
async function writeDiagnostics(out, name, source, result, { limit, paint, nul }) {
  const all = result.diagnostics;
  const taken = limit > 0 && all.length > limit ? all.slice(0, limit) : all;
  const entries = taken.map((d) => ({ range: d.range, d }));
  if (nul) entries.push({ range: { start: nul, end: { line: nul.line, character: nul.character + 1 } }, nul: true });
  entries.sort(byPosition);
  const lines = new SourceLines(source);
  const shownName = visible(name);
  for (const { range, d, nul: isNul } of entries) {
    const at = `${shownName}:${range.start.line + 1}:${range.start.character + 1}:`;
    const head = isNul
      ? `${paint.bold(at)} ${paint.warning('warning')}: binary file: a NUL byte ends the text here; nothing after it is read`
      : `${paint.bold(at)} ${d.severity === 1 ? paint.error('error') : paint.warning('warning')} ${d.code}: ${message(d, lines)}`;
    const pending = out.write(`${head}\n${excerpt(lines, range, paint)}\n`);
    if (pending) await pending;
  }
  let errors = 0;
  for (const d of all) if (d.severity === 1) errors++;
  return { errors, warnings: all.length - errors + (nul ? 1 : 0), shown: taken.length, reported: all.length };
}

/** Where a NUL byte ends the text, as a position; null when there is none. */
function nulPosition(source) {
  const at = source.indexOf(0);
  return at === -1 ? null : positionOf(source, at);
}

// A node the parser makes up for a missing part (a default size or address) has no place in the
// file: an empty "filePath" and an empty range at the very start. The outline says so.
function madeUp(node) {
  return node.filePath === '';
}

function outlineLines(node, depth, emit) {
  const pad = '  '.repeat(depth);
  const { start, end } = node.range;
  const where = madeUp(node) ? '(made up, not in the source)'
    : `${start.line + 1}:${start.character + 1}-${end.line + 1}:${end.character + 1}`;
  const scalars = [];
  const lists = [];
  for (const [key, value] of Object.entries(node)) {
    if (key === 'range' || key === 'type' || key === 'filePath') continue;
    if (Array.isArray(value) && value.every((v) => v && typeof v === 'object')) lists.push([key, value]);
    else if (value && typeof value === 'object') lists.push([key, [value]]);
    else scalars.push(`${key}=${visible(JSON.stringify(value))}`);
  }
  emit(`${pad}${kindOf(node)} ${where}${scalars.length ? ' ' + scalars.join(' ') : ''}\n`);
  for (const [key, children] of lists) {
    if (children.length === 0) continue;
    emit(`${pad}  ${key}:\n`);
    for (const child of children) outlineLines(child, depth + 2, emit);
  }
}

async function writeTree(out, name, result, paint) {
  out.write(`${paint.bold(visible(name))}\n`);
  for (const node of result.nodes) {
    let pending = null;
    outlineLines(node, 1, (line) => { pending = out.write(line) ?? pending; });
    if (pending) await pending;
  }
}

// One line of JSON: "file" first, then the result as the parser gave it (diagnostics cut to the
// limit), each node written on its own so that no string holds the whole result.
async function writeJson(out, file, result, limit) {
  const diagnostics = limit > 0 && result.diagnostics.length > limit ? result.diagnostics.slice(0, limit) : result.diagnostics;
  out.write(`{"file":${JSON.stringify(file)},"optimize":${JSON.stringify(result.optimize)},"nodes":[`);
  for (const [list, close] of [[result.nodes, '],"diagnostics":['], [diagnostics, ']}\n']]) {
    for (let i = 0; i < list.length; i++) {
      const pending = out.write(i === 0 ? JSON.stringify(list[i]) : `,${JSON.stringify(list[i])}`);
      if (pending) await pending;
    }
    out.write(close);
  }
}

module.exports = { writeDiagnostics, writeTree, writeJson, nulPosition };
