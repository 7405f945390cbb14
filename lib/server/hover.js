'use strict';
// Hover: on a name, the line and kind of its definition; on a keyword (instruction, directive,
// command or precode), the list of the governing settings that holds it.
const { lookup } = require('./documents.js');
const { DEFINITION_KINDS } = require('./analysis.js');
const { listOf } = require('./keyword-lists.js');

/** Characters a keyword is written with (words are ASCII; commands carry their "#"). */
const WORD = /[A-Za-z0-9_!#.]/;

/** The text of the word around an offset, and where it lies. @param {string} text @param {number} offset */
function wordAt(text, offset) {
  let start = offset;
  let end = offset;
  while (start > 0 && WORD.test(text[start - 1])) start--;
  while (end < text.length && WORD.test(text[end])) end++;
  return { word: text.slice(start, end), start, end };
}

/** @param {import('./server.js').Context} context */
function register({ connection, documents }) {
  connection.onHover(async ({ textDocument, position }) => {
    const found = await lookup(documents, textDocument.uri, position);
    if (!found) return null;
    const { parsed, occurrence } = found;
    const lines = parsed.lines;
    if (occurrence && parsed.analysis) {
      const range = lines.rangeOf(occurrence.range);
      const definitions = parsed.analysis.definitions(occurrence.key);
      if (definitions.length === 0) {
        return { range, contents: { kind: 'markdown', value: `\`${occurrence.name}\`: no label of this file defines it` } };
      }
      const text = definitions.map((d) => {
        const line = d.range.start.line;
        const source = parsed.text.split('\n', line + 1)[line]?.replace(/\r/g, '').trim() ?? '';
        const kind = d.node ? DEFINITION_KINDS[d.node.type] ?? 'label' : 'label';
        return `\`${d.name}\`: ${kind}, defined on line ${lines.rangeOf(d.range).start.line + 1}\n\n\`\`\`vexa\n${source}\n\`\`\``;
      });
      return { range, contents: { kind: 'markdown', value: text.join('\n\n---\n\n') } };
    }
    const offset = lines.offsetOf(position);
    const { word, start, end } = wordAt(parsed.text, offset);
    if (!word) return null;
    // A keyword in a comment is only a word of the comment.
    const before = parsed.text.slice(lines.offsetOf({ line: position.line, character: 0 }), start);
    if (before.replace(/"[^"]*"/g, '').includes(';')) return null;
    const held = listOf(parsed.config.settings, word);
    if (!held) return null;
    const where = parsed.config.file ? `of ${parsed.config.file}` : 'of the default set';
    return {
      range: lines.rangeOfOffsets(start, end),
      contents: { kind: 'markdown', value: `\`${held.word}\`: ${held.kind}, in the "${held.list}" list ${where}` },
    };
  });
}

module.exports = { register, wordAt, capabilities: { hoverProvider: true } };
