'use strict';
// Workspace symbols: the labels of every source file under the workspace folders, indexed in
// the background a few files at a time with work-done progress, and kept up to date from the
// open documents' parses.
const fs = require('node:fs/promises');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { SymbolKind, FileChangeType } = require('vscode-languageserver');
const { pathOf } = require('./documents.js');
const { Analysis, DEFINITION_KINDS } = require('./analysis.js');
const { LineIndex } = require('./positions.js');

const SOURCE_EXTENSIONS = new Set(['.vx']);
/** Files read and parsed at once while indexing. */
const CONCURRENCY = 2;
/** Larger files are left to be indexed when opened. */
const LARGEST_INDEXED = 8 * 1024 * 1024;
const SKIPPED_FOLDERS = new Set(['node_modules', 'build']);

/** @typedef {{ name: string, kind: import('vscode-languageserver').SymbolKind, detail: string, range: import('vscode-languageserver').Range }} Entry */
/** @typedef {Entry[] | (() => Entry[])} Entries  an open document's are worked out when asked for */

/** @param {Analysis} analysis @param {LineIndex} lines @returns {Entry[]} */
function entries(analysis, lines) {
  return analysis.occurrences.filter((o) => o.definition).map((o) => ({
    name: o.name,
    kind: o.node && o.node.type === 3 ? SymbolKind.Constant : o.node && o.node.type <= 1 ? SymbolKind.Function : SymbolKind.Variable,
    detail: o.node ? DEFINITION_KINDS[o.node.type] ?? 'label' : 'label',
    range: lines.rangeOf(o.range),
  }));
}

/** Every source file under a folder. @param {string} dir @param {string[]} out */
async function sources(dir, out) {
  let list;
  try {
    list = await fs.readdir(dir, { withFileTypes: true });
  } catch {
    return out;
  }
  for (const entry of list) {
    if (entry.name.startsWith('.')) continue;
    const full = path.join(dir, entry.name);
    if (entry.isDirectory() && !SKIPPED_FOLDERS.has(entry.name)) await sources(full, out);
    else if (entry.isFile() && SOURCE_EXTENSIONS.has(path.extname(entry.name))) out.push(full);
  }
  return out;
}

/** @param {import('./server.js').Context} context */
function register(context) {
  const { connection, documents } = context;
  /** @type {Map<string, Entries>} uri → entries */
  const index = new Map();
  /** @type {Promise<void> | null} */
  let indexing = null;

  // Open documents are indexed from their own parses, which are newer than the files.
  const publish = documents.publish;
  documents.publish = (doc, parsed) => {
    publish(doc, parsed);
    if (parsed.result) index.set(doc.uri, () => (parsed.analysis ? entries(parsed.analysis, parsed.lines) : []));
  };

  /** Files being indexed again; a query waits for them, so that it answers for what was reported. */
  const pending = new Set();
  /** @param {Promise<void>} work */
  const track = (work) => {
    pending.add(work);
    work.finally(() => pending.delete(work)).catch(() => {});
  };

  // A closed document is indexed again from its file, which is what the workspace now holds.
  const close = documents.closeDocument.bind(documents);
  documents.closeDocument = (doc) => {
    close(doc);
    index.delete(doc.uri);
    if (doc.path && SOURCE_EXTENSIONS.has(path.extname(doc.path))) track(indexFile(doc.path));
  };

  /** @param {string} file */
  async function indexFile(file) {
    const uri = pathToFileURL(file).href;
    if (documents.open.has(uri)) return;
    try {
      const stat = await fs.stat(file);
      if (stat.size > LARGEST_INDEXED) return;
      const bytes = await fs.readFile(file);
      const loaded = context.settings.configFor(file);
      const result = await context.parse(file, bytes, context.settings.reference(loaded.settings), loaded.settings.rules);
      if (documents.open.has(uri)) return;
      const lines = new LineIndex(bytes.toString('utf8'), context.utf32());
      index.set(uri, entries(new Analysis(result, loaded.settings.rules['core.strict']), lines));
    } catch (error) {
      connection.console.error(`indexing ${file}: ${/** @type {Error} */ (error).message}`);
    }
  }

  async function indexWorkspace() {
    const canReport = context.client().window?.workDoneProgress === true;
    const progress = canReport ? await connection.window.createWorkDoneProgress().catch(() => null) : null;
    progress?.begin('Indexing VEXA sources', 0, undefined, false);
    /** @type {string[]} */
    const files = [];
    for (const root of context.roots()) await sources(root, files);
    let done = 0;
    let next = 0;
    const worker = async () => {
      while (next < files.length) {
        await indexFile(files[next++]);
        done++;
        progress?.report(Math.round((done / files.length) * 100), `${done}/${files.length} files`);
      }
    };
    await Promise.all(Array.from({ length: CONCURRENCY }, worker));
    progress?.done();
  }

  connection.onWorkspaceSymbol(async ({ query }) => {
    if (indexing) await indexing;
    await Promise.all(pending);
    const wanted = query.toUpperCase();
    /** @type {import('vscode-languageserver').SymbolInformation[]} */
    const out = [];
    for (const [uri, known] of index) {
      const list = typeof known === 'function' ? known() : known;
      index.set(uri, list);
      for (const e of list) {
        if (wanted && !e.name.toUpperCase().includes(wanted)) continue;
        out.push({ name: e.name, kind: e.kind, containerName: e.detail, location: { uri, range: e.range } });
      }
    }
    return out;
  });

  return {
    /** A source file changed on disk: index it again (an open document's own text wins). */
    fileChanged(/** @type {string} */ uri, /** @type {number} */ type) {
      const file = pathOf(uri);
      if (!file || !SOURCE_EXTENSIONS.has(path.extname(file)) || documents.open.has(uri)) return;
      if (type === FileChangeType.Deleted) index.delete(uri);
      else track(indexFile(file));
    },
    initialized() {
      indexing = indexWorkspace().catch((error) => connection.console.error(`indexing: ${error.message}`));
    },
  };
}

module.exports = { register, capabilities: { workspaceSymbolProvider: true } };
