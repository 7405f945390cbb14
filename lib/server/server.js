'use strict';
// The language server on one connection: negotiates the position encoding, keeps the open
// documents parsed (documents.js), publishes their diagnostics, follows vexa.json changes, and
// registers each editor feature from its own file.
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { TextDocumentSyncKind, DidChangeWatchedFilesNotification, FileChangeType } = require('vscode-languageserver');
const { parse } = require('../../index.js');
const { Documents, pathOf } = require('./documents.js');
const { SettingsStore, CONFIG_FILE_NAME, readConfigText } = require('./settings.js');
const { sourceDiagnostics, configDiagnostics } = require('./diagnostics.js');
const { LineIndex } = require('./positions.js');

const FEATURES = [
  require('./symbols.js'),
  require('./navigation.js'),
  require('./hover.js'),
  require('./completion.js'),
  require('./folding.js'),
  require('./semantic-tokens.js'),
  require('./code-actions.js'),
  require('./workspace-symbols.js'),
];

/**
 * What a feature gets to work with.
 * @typedef {object} Context
 * @property {import('vscode-languageserver').Connection} connection
 * @property {Documents} documents
 * @property {import('./settings.js').SettingsStore} settings
 * @property {() => boolean} utf32
 * @property {() => string[]} roots   the workspace folders' paths
 * @property {typeof parse} parse
 * @property {() => import('vscode-languageserver').ClientCapabilities} client  what the client said it can do
 */

/**
 * @param {import('vscode-languageserver').Connection} connection
 * @param {object} [options]
 * @param {typeof parse} [options.parse]
 * @param {import('./documents.js').SchedulerHooks} [options.hooks]
 */
function startServer(connection, options = {}) {
  let utf32 = false;
  /** @type {string[]} */
  let roots = [];
  let watchDynamically = false;
  /** @type {import('vscode-languageserver').ClientCapabilities} */
  let client = {};
  const settings = new SettingsStore(() => roots[0] ?? process.cwd());
  /** Configuration files whose problems are on show: path → the problems, as last published. */
  const shownConfigs = new Map();
  /** Texts of the vexa.json files open in the editor, by URI: those show their own text's problems. */
  const configTexts = new Map();
  const parseFunction = options.parse ?? parse;

  /**
   * Publishes diagnostics; a connection already closing is no reason to fail.
   * @param {import('vscode-languageserver').PublishDiagnosticsParams} params
   */
  const send = (params) => {
    connection.sendDiagnostics(params).catch(() => {});
  };

  const documents = new Documents({
    parse: parseFunction,
    settings,
    utf32: () => utf32,
    hooks: options.hooks,
    log: (message) => connection.console.error(message),
    publish(doc, parsed) {
      send({ uri: doc.uri, version: parsed.version, diagnostics: sourceDiagnostics(parsed) });
      showConfigProblems(parsed.config);
    },
  });

  /** @param {import('../config.js').LoadedConfig} loaded */
  function showConfigProblems(loaded) {
    const file = loaded.file;
    if (!file || configTexts.has(pathToFileURL(file).href)) return;
    const shown = JSON.stringify(loaded.problems);
    if ((shownConfigs.get(file) ?? '[]') === shown) return;
    let text = '';
    try {
      text = fs.readFileSync(file, 'utf8');
    } catch {
      // Gone meanwhile: the problems still go at the start.
    }
    if (loaded.problems.length) shownConfigs.set(file, shown);
    else shownConfigs.delete(file);
    send({ uri: pathToFileURL(file).href, diagnostics: configDiagnostics(text, loaded.problems, utf32) });
  }

  /** A vexa.json changed on disk: forget it and parse again what it may govern. @param {string} file */
  function configChanged(file) {
    settings.forget(file);
    const dir = path.dirname(file) + path.sep;
    documents.reparse((doc) => doc.path !== null && !isConfig(doc.path) && (doc.path.startsWith(dir) || doc.parsed?.config.file === file));
    if (shownConfigs.has(file) && !fs.existsSync(file)) {
      shownConfigs.delete(file);
      send({ uri: pathToFileURL(file).href, diagnostics: [] });
    }
  }

  connection.onInitialize((params) => {
    client = params.capabilities;
    const offered = params.capabilities.general?.positionEncodings ?? [];
    utf32 = offered.includes('utf-32');
    roots = (params.workspaceFolders ?? []).map((f) => pathOf(f.uri)).filter((p) => p !== null);
    if (roots.length === 0 && params.rootUri) {
      const root = pathOf(params.rootUri);
      if (root) roots = [root];
    }
    watchDynamically = params.capabilities.workspace?.didChangeWatchedFiles?.dynamicRegistration === true;
    /** @type {import('vscode-languageserver').ServerCapabilities} */
    const capabilities = {
      positionEncoding: utf32 ? 'utf-32' : 'utf-16',
      textDocumentSync: { openClose: true, change: TextDocumentSyncKind.Incremental, save: { includeText: false } },
    };
    for (const feature of FEATURES) Object.assign(capabilities, feature.capabilities);
    return { capabilities, serverInfo: { name: 'vexa-language-server', version: require('../../package.json').version } };
  });

  /** @type {Array<{ initialized?: () => void, fileChanged?: (uri: string, type: FileChangeType) => void } | void>} */
  const started = [];
  connection.onInitialized(() => {
    for (const feature of started) feature?.initialized?.();
    if (watchDynamically) {
      void connection.client.register(DidChangeWatchedFilesNotification.type, {
        watchers: [{ globPattern: `**/${CONFIG_FILE_NAME}` }, { globPattern: '**/*.vx' }],
      }).catch(() => {});
    }
  });

  connection.onDidOpenTextDocument(({ textDocument: t }) => {
    const file = pathOf(t.uri);
    if (file && isConfig(file)) return void checkConfigText(t.uri, file, t.text);
    documents.opened(t.uri, t.languageId, t.version, t.text);
  });
  connection.onDidChangeTextDocument(({ textDocument: t, contentChanges }) => {
    const file = pathOf(t.uri);
    if (file && isConfig(file)) {
      configTexts.set(t.uri, applyChanges(configTexts.get(t.uri) ?? '', contentChanges, utf32));
      return void checkConfigText(t.uri, file, configTexts.get(t.uri) ?? '');
    }
    documents.changed(t.uri, t.version, contentChanges);
  });
  connection.onDidCloseTextDocument(({ textDocument: t }) => {
    configTexts.delete(t.uri);
    documents.closed(t.uri);
    send({ uri: t.uri, diagnostics: [] });
    const file = pathOf(t.uri);
    if (file && isConfig(file)) {
      shownConfigs.delete(file);
      configChanged(file);
    }
  });
  connection.onDidSaveTextDocument(({ textDocument: t }) => {
    const file = pathOf(t.uri);
    if (file && isConfig(file)) configChanged(file);
  });
  connection.onDidChangeWatchedFiles(({ changes }) => {
    for (const change of changes) {
      const file = pathOf(change.uri);
      if (file && isConfig(file)) configChanged(file);
      else for (const feature of started) feature?.fileChanged?.(change.uri, change.type);
    }
  });

  /** An open vexa.json is checked as typed (its saved form governs the sources). */
  function checkConfigText(/** @type {string} */ uri, /** @type {string} */ file, /** @type {string} */ text) {
    configTexts.set(uri, text);
    let problems;
    try {
      problems = readConfigText(text, file).problems;
    } catch (error) {
      problems = [{ file, line: 1, column: 1, offset: 0, length: 0, key: null, message: String(/** @type {Error} */ (error).message) }];
    }
    send({ uri, diagnostics: configDiagnostics(text, problems, utf32) });
  }

  /** @type {Context} */
  const context = { connection, documents, settings, utf32: () => utf32, roots: () => roots, parse: parseFunction, client: () => client };
  for (const feature of FEATURES) started.push(feature.register(context));
  connection.listen();
  return context;
}

/** @param {string} file */
function isConfig(file) {
  return path.basename(file) === CONFIG_FILE_NAME;
}

/**
 * Applies changes to a vexa.json text. Ranges count UTF-16 code units or code points, as agreed;
 * the text is small, so it is indexed afresh for each change.
 * @param {string} text
 * @param {Array<{ range?: import('./positions.js').Range, text: string }>} changes
 * @param {boolean} utf32
 */
function applyChanges(text, changes, utf32) {
  for (const change of changes) {
    if (!change.range) {
      text = change.text;
      continue;
    }
    const lines = new LineIndex(text, utf32);
    const start = lines.offsetOf(change.range.start);
    const end = Math.max(start, lines.offsetOf(change.range.end));
    text = text.slice(0, start) + change.text + text.slice(end);
  }
  return text;
}

module.exports = { startServer };
