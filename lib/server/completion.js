'use strict';
// Completion by position on the line: labels and directive words at the start of a line;
// instruction, directive and precode words after indentation or a label; instructions after a
// precode; command words after "#"; defined names in operand positions. Keywords are offered in
// the letter case of their list.
const { CompletionItemKind } = require('vscode-languageserver');
const { lookup } = require('./documents.js');

/** Words of conditionals, which the parser knows without a list. */
const CONDITIONAL_WORDS = ['#IF', '#ELSEIF', '#ELSE', '#ENDIF'];

/**
 * What may be written at the end of `before` (the line up to the cursor, without the word being
 * typed).
 * @param {string} before @param {string} word
 * @returns {'none' | 'lineStart' | 'command' | 'statement' | 'instruction' | 'operand'}
 */
function slot(before, word) {
  if (before.includes(';') || /["']/.test(before)) return 'none';
  if (word.startsWith('#') && /^\s*$/.test(before)) return 'command';
  if (before === '') return 'lineStart';
  if (/^\s+$/.test(before) || /^[^\s:;#]+:?\s+$/.test(before)) return 'statement';
  if (/^(?:[^\s:;#]+:?)?\s+[A-Za-z_!][\w!]*:\s*$/.test(before)) return 'instruction';
  if (/^(?:[^\s:;#]+:?)?\s*\S+\s+/.test(before)) return 'operand';
  return 'none';
}

/** @param {import('./server.js').Context} context */
function register({ connection, documents }) {
  connection.onCompletion(async ({ textDocument, position }) => {
    const found = await lookup(documents, textDocument.uri, position);
    if (!found) return null;
    const { parsed } = found;
    const lines = parsed.lines;
    const offset = lines.offsetOf(position);
    const lineStart = lines.offsetOf({ line: position.line, character: 0 });
    const prefix = parsed.text.slice(lineStart, offset);
    const word = /[#A-Za-z0-9_!.]*$/.exec(prefix)?.[0] ?? '';
    const where = slot(prefix.slice(0, prefix.length - word.length), word);
    const { keywords } = parsed.config.settings;
    /** @type {import('vscode-languageserver').CompletionItem[]} */
    const items = [];
    /** @param {string[] | undefined} words @param {import('vscode-languageserver').CompletionItemKind} kind @param {string} detail */
    const add = (words, kind, detail) => {
      for (const label of words ?? []) items.push({ label, kind, detail });
    };
    const names = () => {
      const seen = new Set();
      for (const o of parsed.analysis?.occurrences ?? []) {
        if (!o.definition || seen.has(o.key)) continue;
        seen.add(o.key);
        items.push({ label: o.name, kind: CompletionItemKind.Variable, detail: 'label' });
      }
    };
    switch (where) {
      case 'lineStart':
        names();
        add(keywords.directives, CompletionItemKind.Keyword, 'directive');
        break;
      case 'command':
        add(keywords.commands, CompletionItemKind.Module, 'command');
        add(CONDITIONAL_WORDS, CompletionItemKind.Keyword, 'conditional');
        break;
      case 'statement':
        add(keywords.precodes, CompletionItemKind.Keyword, 'precode');
        add(keywords.instructions, CompletionItemKind.Function, 'instruction');
        add(keywords.directives, CompletionItemKind.Keyword, 'directive');
        break;
      case 'instruction':
        add(keywords.instructions, CompletionItemKind.Function, 'instruction');
        break;
      case 'operand':
        names();
        break;
    }
    return items;
  });
}

module.exports = { register, slot, capabilities: { completionProvider: { triggerCharacters: ['#'] } } };
