'use strict';
// Open documents and their parses. At most one parse per document is in flight; changes that
// arrive meanwhile only bump the document's generation, and when the parse settles the newest
// text is parsed next. A result is kept and published only when it belongs to the document's
// current generation, so an older version's diagnostics never replace a newer one's.
const { fileURLToPath } = require('node:url');
const { TextDocument } = require('vscode-languageserver-textdocument');
const { LineIndex } = require('./positions.js');
const { Analysis } = require('./analysis.js');

/** @typedef {import('../config.js').LoadedConfig} LoadedConfig */
/** @typedef {import('../../index.d.ts').ParseResult} ParseResult */
/** @typedef {{ uri: string, version: number, text: string }} Snapshot */

/**
 * What a document looks like when parsed.
 * @typedef {object} Parsed
 * @property {number} version
 * @property {string} text
 * @property {LineIndex} lines
 * @property {LoadedConfig} config
 * @property {ParseResult | null} result     null when the parse rejected
 * @property {Analysis | null} analysis      null when the parse rejected
 * @property {unknown} [error]
 */

/** @param {string} uri */
function pathOf(uri) {
  if (!uri.startsWith('file:')) return null;
  try {
    return fileURLToPath(uri);
  } catch {
    return null;
  }
}

class OpenDocument {
  /** @param {TextDocument} document */
  constructor(document) {
    this.document = document;
    this.path = pathOf(document.uri);
    /** Bumped by every change of the text or of the settings. */
    this.generation = 0;
    this.inFlight = false;
    this.closed = false;
    /** @type {Parsed | null} */
    this.parsed = null;
    /** The generation `parsed` belongs to. */
    this.parsedGeneration = -1;
    /** @type {Array<(parsed: Parsed | null) => void>} */
    this.waiters = [];
    /** @type {LineIndex | null} */
    this.linesCache = null;
  }

  get uri() {
    return this.document.uri;
  }

  /** The current text's line index in the given encoding. @param {boolean} utf32 */
  lines(utf32) {
    const text = this.document.getText();
    if (!this.linesCache || this.linesCache.text !== text || this.linesCache.utf32 !== utf32) {
      this.linesCache = new LineIndex(text, utf32);
    }
    return this.linesCache;
  }
}

/**
 * @typedef {object} SchedulerHooks
 * @property {(uri: string, version: number) => (Promise<void> | void)} [beforeParse]
 */

class Documents {
  /**
   * @param {object} options
   * @param {typeof import('../../index.js').parse} options.parse
   * @param {import('./settings.js').SettingsStore} options.settings
   * @param {(doc: OpenDocument, parsed: Parsed) => void} options.publish
   * @param {() => boolean} options.utf32
   * @param {SchedulerHooks} [options.hooks]
   * @param {(message: string) => void} [options.log]
   */
  constructor(options) {
    this.parse = options.parse;
    this.settings = options.settings;
    this.publish = options.publish;
    this.utf32 = options.utf32;
    this.hooks = options.hooks ?? {};
    this.log = options.log ?? (() => {});
    /** @type {Map<string, OpenDocument>} */
    this.open = new Map();
  }

  /** @param {string} uri @param {string} languageId @param {number} version @param {string} text */
  opened(uri, languageId, version, text) {
    const previous = this.open.get(uri);
    if (previous) this.closeDocument(previous);
    const doc = new OpenDocument(TextDocument.create(uri, languageId, version, text));
    this.open.set(uri, doc);
    this.schedule(doc);
    return doc;
  }

  /**
   * Applies changes whose ranges are in the negotiated encoding.
   * @param {string} uri @param {number} version
   * @param {Array<{ range?: import('./positions.js').Range, text: string }>} changes
   */
  changed(uri, version, changes) {
    const doc = this.open.get(uri);
    if (!doc) return;
    const utf32 = this.utf32();
    if (!utf32) {
      // TextDocument counts UTF-16 code units, as this encoding does, and breaks lines as editors do.
      doc.document = TextDocument.update(doc.document, changes, version);
      this.schedule(doc);
      return;
    }
    for (const change of changes) {
      if (!change.range) {
        doc.document = TextDocument.update(doc.document, [{ text: change.text }], version);
        continue;
      }
      // Ranges count code points here: converted through our own index, which clamps past the
      // end of a line as TextDocument does.
      const lines = doc.lines(utf32);
      const start = lines.offsetOf(change.range.start);
      const end = Math.max(start, lines.offsetOf(change.range.end));
      const text = doc.document.getText();
      doc.document = TextDocument.create(uri, doc.document.languageId, version, text.slice(0, start) + change.text + text.slice(end));
    }
    doc.document = TextDocument.update(doc.document, [], version);
    this.schedule(doc);
  }

  /** @param {string} uri */
  closed(uri) {
    const doc = this.open.get(uri);
    if (doc) this.closeDocument(doc);
  }

  /** @param {OpenDocument} doc */
  closeDocument(doc) {
    doc.closed = true;
    this.open.delete(doc.uri);
    for (const resolve of doc.waiters.splice(0)) resolve(null);
  }

  /** Parses again every open document whose settings may have changed. @param {(doc: OpenDocument) => boolean} which */
  reparse(which) {
    for (const doc of this.open.values()) if (which(doc)) this.schedule(doc);
  }

  /** @param {OpenDocument} doc */
  schedule(doc) {
    doc.generation++;
    if (!doc.inFlight) this.start(doc);
  }

  /** Starts a parse of the document; whatever goes wrong is logged, never left unhandled. @param {OpenDocument} doc */
  start(doc) {
    this.run(doc).catch((error) => this.log(`handling ${doc.uri}: ${error?.stack ?? error}`));
  }

  /** @param {OpenDocument} doc */
  async run(doc) {
    doc.inFlight = true;
    const generation = doc.generation;
    const version = doc.document.version;
    const text = doc.document.getText();
    /** @type {Parsed} */
    let parsed;
    try {
      parsed = await this.parseText(doc, version, text);
    } finally {
      doc.inFlight = false;
    }
    if (doc.closed) return;
    if (generation === doc.generation) {
      doc.parsed = parsed;
      doc.parsedGeneration = generation;
      for (const resolve of doc.waiters.splice(0)) resolve(parsed);
      this.publish(doc, parsed);
    } else {
      this.start(doc);
    }
  }

  /**
   * Parses one text of a document; a rejected parse (or a failure while reading the result) gives
   * a Parsed without a result, which the caller reports instead of going down.
   * @param {OpenDocument} doc @param {number} version @param {string} text
   * @returns {Promise<Parsed>}
   */
  async parseText(doc, version, text) {
    const loaded = this.settings.configFor(doc.path);
    const settings = loaded.settings;
    const lines = new LineIndex(text, this.utf32());
    try {
      await this.hooks.beforeParse?.(doc.uri, version);
      const reference = this.settings.reference(settings);
      const result = await this.parse(doc.path ?? doc.uri, Buffer.from(text, 'utf8'), reference, settings.rules);
      // Built when a feature first asks: publishing the diagnostics does not wait for it.
      /** @type {Analysis | null} */
      let analysis = null;
      return {
        version, text, lines, config: loaded, result,
        get analysis() {
          return (analysis ??= new Analysis(result, settings.rules['core.strict']));
        },
      };
    } catch (error) {
      this.log(`parse of ${doc.uri} failed: ${/** @type {Error} */ (error)?.message ?? error}`);
      return { version, text, lines, config: loaded, result: null, analysis: null, error };
    }
  }

  /**
   * The parse of a document's current text (waiting for it when it is under way), or null for
   * a document that is not open or is closed meanwhile.
   * @param {string} uri
   * @returns {Promise<Parsed | null>}
   */
  async current(uri) {
    const doc = this.open.get(uri);
    if (!doc) return null;
    if (doc.parsed && doc.parsedGeneration === doc.generation && doc.parsed.lines.utf32 === this.utf32()) return doc.parsed;
    return new Promise((resolve) => doc.waiters.push(resolve));
  }
}

/**
 * A document's current parse and what lies at an editor position in it, for the features.
 * @param {Documents} documents @param {string} uri @param {import('./positions.js').Position} position
 */
async function lookup(documents, uri, position) {
  const parsed = await documents.current(uri);
  if (!parsed) return null;
  const at = parsed.lines.parserPosition(position);
  const occurrence = parsed.analysis?.at(at) ?? null;
  return { parsed, at, occurrence };
}

module.exports = { lookup, Documents, OpenDocument, pathOf };
