'use strict';
// Definition, references, document highlight and rename (with prepare), all from the analysis:
// a name refers to the label that defines it, compared as the parser compares names.
const { DocumentHighlightKind, ResponseError, ErrorCodes } = require('vscode-languageserver');
const { lookup } = require('./documents.js');

/** @typedef {import('./analysis.js').Occurrence} Occurrence */

/**
 * Whether the language reads `name` as one name that is no keyword: it must come back from the
 * parser as the label of a line of its own, with nothing else said about it.
 * @param {import('./server.js').Context} context
 * @param {import('./documents.js').Parsed} parsed
 * @param {string} name
 */
async function isPlainName(context, parsed, name) {
  if (!/^[\x21-\x7e]+$/.test(name)) return false;
  const settings = parsed.config.settings;
  const fold = (/** @type {string} */ w) => (settings.strictKeywords ? w : w.toUpperCase());
  const word = fold(name);
  for (const list of Object.values(settings.keywords)) {
    if (list.some((/** @type {string} */ k) => fold(k) === word)) return false;
  }
  const probe = await context.parse('<anonymous>', Buffer.from(`${name}:\n`), context.settings.reference(settings), settings.rules);
  const node = probe.nodes[0];
  return probe.diagnostics.length === 0 && probe.nodes.length === 1 && node !== undefined
    && 'label' in node && node.label === name;
}

/** @param {import('./server.js').Context} context */
function register(context) {
  const { connection, documents } = context;

  /** @param {string} uri @param {import('./documents.js').Parsed} parsed @param {Occurrence} o */
  const location = (uri, parsed, o) => ({ uri, range: parsed.lines.rangeOf(o.range) });

  connection.onDefinition(async ({ textDocument, position }) => {
    const found = await lookup(documents, textDocument.uri, position);
    if (!found?.occurrence || !found.parsed.analysis) return null;
    const { parsed, occurrence } = found;
    const analysis = /** @type {import('./analysis.js').Analysis} */ (parsed.analysis);
    return analysis.definitions(occurrence.key).map((o) => location(textDocument.uri, parsed, o));
  });

  connection.onReferences(async ({ textDocument, position, context: { includeDeclaration } }) => {
    const found = await lookup(documents, textDocument.uri, position);
    if (!found?.occurrence || !found.parsed.analysis) return null;
    const { parsed, occurrence } = found;
    const analysis = /** @type {import('./analysis.js').Analysis} */ (parsed.analysis);
    return analysis.all(occurrence.key)
      .filter((o) => includeDeclaration || !o.definition)
      .map((o) => location(textDocument.uri, parsed, o));
  });

  connection.onDocumentHighlight(async ({ textDocument, position }) => {
    const found = await lookup(documents, textDocument.uri, position);
    if (!found?.occurrence || !found.parsed.analysis) return null;
    const { parsed, occurrence } = found;
    const analysis = /** @type {import('./analysis.js').Analysis} */ (parsed.analysis);
    return analysis.all(occurrence.key).map((o) => ({
      range: parsed.lines.rangeOf(o.range),
      kind: o.definition ? DocumentHighlightKind.Write : DocumentHighlightKind.Read,
    }));
  });

  connection.onPrepareRename(async ({ textDocument, position }) => {
    const found = await lookup(documents, textDocument.uri, position);
    if (!found?.occurrence) return null;
    return { range: found.parsed.lines.rangeOf(found.occurrence.range), placeholder: found.occurrence.name };
  });

  connection.onRenameRequest(async ({ textDocument, position, newName }) => {
    const found = await lookup(documents, textDocument.uri, position);
    if (!found?.occurrence || !found.parsed.analysis) {
      throw new ResponseError(ErrorCodes.InvalidRequest, 'there is no name here to rename');
    }
    const { parsed, occurrence } = found;
    const analysis = /** @type {import('./analysis.js').Analysis} */ (parsed.analysis);
    if (!(await isPlainName(context, parsed, newName))) {
      throw new ResponseError(ErrorCodes.InvalidParams, `"${newName}" is not a name this language reads as one, or it is a keyword`);
    }
    const target = analysis.key(newName);
    if (target !== occurrence.key && analysis.definitions(target).length > 0) {
      throw new ResponseError(ErrorCodes.InvalidParams, `"${newName}" is already defined in this file`);
    }
    const edits = analysis.all(occurrence.key).map((o) => ({ range: parsed.lines.rangeOf(o.range), newText: newName }));
    return { changes: { [textDocument.uri]: edits } };
  });
}

module.exports = {
  register,
  isPlainName,
  capabilities: {
    definitionProvider: true,
    referencesProvider: true,
    documentHighlightProvider: true,
    renameProvider: { prepareProvider: true },
  },
};
