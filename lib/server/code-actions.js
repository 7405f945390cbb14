'use strict';
// Quick fixes: the missing colon of a label (1501), and, for a word no keyword list holds where
// an instruction was expected, adding it to the instruction list of the governing vexa.json (a
// new one beside the workspace folder when there is none).
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { CodeActionKind } = require('vscode-languageserver');
const { lookup, pathOf } = require('./documents.js');
const { LineIndex } = require('./positions.js');
const { listOf } = require('./keyword-lists.js');
const { CONFIG_FILE_NAME, defaultSettings } = require('./settings.js');

/** A word the language could read as an instruction. */
const WORD = /^[A-Za-z_!][A-Za-z0-9_!]*$/;

/**
 * The vexa.json text with `word` added to its instructions, or null when it is not an object
 * of JSON we can edit.
 * @param {string} text @param {string} word
 */
function withInstruction(text, word) {
  let json;
  try {
    json = JSON.parse(text);
  } catch {
    return null;
  }
  if (json === null || typeof json !== 'object' || Array.isArray(json)) return null;
  const lists = json.keywords ?? (json.keywords = {});
  if (lists === null || typeof lists !== 'object' || Array.isArray(lists)) return null;
  const instructions = lists.instructions ?? (lists.instructions = []);
  if (!Array.isArray(instructions)) return null;
  instructions.push(word);
  return `${JSON.stringify(json, null, 2)}\n`;
}

/** @param {import('./server.js').Context} context */
function register(context) {
  const { connection, documents } = context;
  const canCreate = () => {
    const edits = context.client().workspace?.workspaceEdit;
    return edits?.documentChanges === true && edits.resourceOperations?.includes('create') === true;
  };

  /**
   * @param {string} uri @param {import('./documents.js').Parsed} parsed @param {string} word
   * @returns {import('vscode-languageserver').WorkspaceEdit | null}
   */
  function addInstructionEdit(uri, parsed, word) {
    const file = parsed.config.file;
    if (file) {
      let text;
      try {
        text = fs.readFileSync(file, 'utf8');
      } catch {
        return null;
      }
      const next = withInstruction(text, word);
      if (next === null) return null;
      const lines = new LineIndex(text, context.utf32());
      return { changes: { [pathToFileURL(file).href]: [{ range: lines.rangeOfOffsets(0, text.length), newText: next }] } };
    }
    if (!canCreate()) return null;
    const source = pathOf(uri);
    if (!source) return null;
    const root = context.roots().find((r) => source.startsWith(r + path.sep)) ?? path.dirname(source);
    const target = pathToFileURL(path.join(root, CONFIG_FILE_NAME)).href;
    // A list left out keeps its default, so the new file needs only the instruction.
    const lists = { instructions: [...defaultSettings().keywords.instructions, word] };
    return {
      documentChanges: [
        { kind: 'create', uri: target, options: { ignoreIfExists: true } },
        {
          textDocument: { uri: target, version: null },
          edits: [{ range: { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } }, newText: `${JSON.stringify({ keywords: lists }, null, 2)}\n` }],
        },
      ],
    };
  }

  connection.onCodeAction(async ({ textDocument, context: { diagnostics } }) => {
    /** @type {import('vscode-languageserver').CodeAction[]} */
    const actions = [];
    for (const diagnostic of diagnostics) {
      if (diagnostic.source !== 'vexa') continue;
      if (diagnostic.code === 'VEXA1501') {
        actions.push({
          title: 'Add the colon after the label',
          kind: CodeActionKind.QuickFix,
          diagnostics: [diagnostic],
          isPreferred: true,
          edit: { changes: { [textDocument.uri]: [{ range: { start: diagnostic.range.end, end: diagnostic.range.end }, newText: ':' }] } },
        });
      } else if (diagnostic.code === 'VEXA1203' || diagnostic.code === 'VEXA1001') {
        const found = await lookup(documents, textDocument.uri, diagnostic.range.start);
        if (!found) continue;
        const { parsed } = found;
        const from = parsed.lines.offsetOf(diagnostic.range.start);
        const to = parsed.lines.offsetOf(diagnostic.range.end);
        const word = parsed.text.slice(from, to);
        if (!WORD.test(word) || listOf(parsed.config.settings, word)) continue;
        // Only where an instruction was expected: right after the line's label.
        const lineStart = parsed.lines.offsetOf({ line: diagnostic.range.start.line, character: 0 });
        if (!/^[^\s:;#]+:?[ \t]+$/.test(parsed.text.slice(lineStart, from))) continue;
        const edit = addInstructionEdit(textDocument.uri, parsed, word);
        if (!edit) continue;
        const where = parsed.config.file ? path.basename(parsed.config.file) : `a new ${CONFIG_FILE_NAME}`;
        actions.push({ title: `Add "${word}" to the instructions of ${where}`, kind: CodeActionKind.QuickFix, diagnostics: [diagnostic], edit });
      }
    }
    return actions;
  });
}

module.exports = { register, withInstruction, capabilities: { codeActionProvider: { codeActionKinds: [CodeActionKind.QuickFix] } } };
