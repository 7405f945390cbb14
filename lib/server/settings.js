'use strict';
// The settings a source is parsed with: those of the nearest vexa.json (defaults while it is
// missing or invalid), and the keyword table built from them, shared by every document with the
// same lists.
const path = require('node:path');
const { keywords } = require('../../index.js');
const config = require('../config.js');

/** @typedef {import('../config.js').Settings} Settings */
/** @typedef {import('../config.js').LoadedConfig} LoadedConfig */

/** Keyword tables kept at once; the oldest is released beyond this (parses in flight keep theirs). */
const TABLES_KEPT = 8;

class SettingsStore {
  /** @param {() => string} cwd  where a document without a file looks for its vexa.json */
  constructor(cwd) {
    this.cwd = cwd;
    /** @type {Map<string, import('../../index.d.ts').Keywords>} */
    this.tables = new Map();
  }

  /**
   * The configuration that governs a source file (or an unsaved document when `file` is null).
   * A configuration that cannot be read at all is taken as defaults with one problem.
   * @param {string | null} file
   * @returns {LoadedConfig}
   */
  configFor(file) {
    try {
      return config.configFor(file, { cwd: this.cwd() });
    } catch (error) {
      const found = safeFind(file ? path.dirname(file) : this.cwd());
      return {
        file: found,
        settings: config.defaultSettings(),
        problems: found ? [{ file: found, line: 1, column: 1, offset: 0, length: 0, key: null, message: String(/** @type {Error} */ (error).message) }] : [],
      };
    }
  }

  /** The keyword table reference for a configuration's lists. @param {Settings} settings */
  reference(settings) {
    const key = JSON.stringify([settings.keywords, settings.strictKeywords]);
    let table = this.tables.get(key);
    if (table) {
      this.tables.delete(key);
    } else {
      table = keywords(settings.keywords, settings.strictKeywords);
      if (this.tables.size >= TABLES_KEPT) {
        const [oldest, old] = /** @type {[string, import('../../index.d.ts').Keywords]} */ (this.tables.entries().next().value);
        this.tables.delete(oldest);
        old.dispose();
      }
    }
    this.tables.set(key, table);
    return table.reference;
  }

  /** Forgets what was read of one configuration file (or of all). @param {string} [file] */
  forget(file) {
    config.clearConfigCache(file);
  }
}

/** @param {string} dir */
function safeFind(dir) {
  try {
    return config.findConfig(dir);
  } catch {
    return null;
  }
}

module.exports = { SettingsStore, CONFIG_FILE_NAME: config.CONFIG_FILE_NAME, readConfigText: config.readConfigText, defaultSettings: config.defaultSettings };
