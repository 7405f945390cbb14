'use strict';
// Project settings from a vexa.json file: the keyword lists, whether keywords match only as
// written, and the parse rules. Found like tsconfig.json or .editorconfig (the nearest one in the
// source's folder or above), checked key by key so that a misspelling is reported instead of
// silently ignored, and cached by path (revalidated by the file's identity, size and change time).
// The command-line tool and the language server both read their settings through here.
const fs = require('node:fs');
const path = require('node:path');
const { readJson } = require('./json-tree.js');
const DEFAULT_KEYWORDS = require('./default-keywords.json');

const CONFIG_FILE_NAME = 'vexa.json';

const LISTS = ['instructions', 'precodes', 'directives', 'commands'];
const RULES = {
  'core.strict': 'boolean',
  'core.dialect': 'uint32',
  'syntax.parseBlocks': 'boolean',
  'diagnostic.limit': 'uint32',
};
const TOP = ['keywords', 'strictKeywords', 'rules'];

function defaultSettings() {
  const keywords = {};
  for (const list of LISTS) keywords[list] = [...(DEFAULT_KEYWORDS[list] ?? [])];
  return {
    keywords,
    strictKeywords: false,
    rules: { 'core.strict': false, 'core.dialect': 0, 'syntax.parseBlocks': true, 'diagnostic.limit': 0 },
  };
}

// Line and column (1-based) of a UTF-16 offset. Columns count characters (code points), as the
// parser's positions do, and a byte-order mark takes no column.
function lineColumn(text, offset) {
  let line = 1;
  let lineStart = text.charCodeAt(0) === 0xfeff ? 1 : 0;
  for (let i = text.indexOf('\n'); i !== -1 && i < offset; i = text.indexOf('\n', i + 1)) {
    line++;
    lineStart = i + 1;
  }
  let column = 1;
  for (let i = lineStart; i < offset; i++) {
    const c = text.charCodeAt(i);
    if (c < 0xdc00 || c > 0xdfff) column++; // the second half of a pair adds nothing
  }
  return { line, column };
}

function kindName(node) {
  if (node.kind === 'number') return `the number ${node.value}`;
  return { object: 'an object', array: 'an array', string: 'a string', number: 'a number', boolean: node.value ? 'true' : 'false', null: 'null' }[node.kind];
}

function editDistance(a, b) {
  let row = Array.from({ length: b.length + 1 }, (_, i) => i);
  for (let i = 1; i <= a.length; i++) {
    const next = [i];
    for (let j = 1; j <= b.length; j++) {
      next[j] = Math.min(row[j] + 1, next[j - 1] + 1, row[j - 1] + (a[i - 1] === b[j - 1] ? 0 : 1));
    }
    row = next;
  }
  return row[b.length];
}

function quoteList(names) {
  const quoted = names.map((n) => `"${n}"`);
  return quoted.length < 2 ? quoted.join('') : `${quoted.slice(0, -1).join(', ')} and ${quoted.at(-1)}`;
}

// "unknown key" with the closest known key when the spelling is near one (case differences and a
// letter or two), else the list of the keys that are allowed there.
function unknownKey(name, known, where) {
  const lower = name.toLowerCase();
  let best = null;
  let bestDistance = Infinity;
  for (const k of known) {
    const d = k.toLowerCase() === lower ? 0 : editDistance(lower, k.toLowerCase());
    if (d < bestDistance) [best, bestDistance] = [k, d];
  }
  const hint = bestDistance <= Math.max(1, Math.floor(name.length / 4))
    ? `did you mean "${best}"?`
    : `${where} takes ${quoteList(known)}`;
  return `unknown key "${name}": ${hint}`;
}

// What checking one file's text needs: its problems, and helpers that report them at the right
// place with the key they are about.
function checker(text, file) {
  const problems = [];
  const problem = (offset, length, key, message) => {
    const { line, column } = lineColumn(text, offset);
    problems.push({ file, line, column, offset, length, key, message });
  };
  const wrong = (node, key, expected) => problem(node.offset, node.length, key, `"${key}" must be ${expected}, not ${kindName(node)}`);
  // Each member of an object, with duplicates and unknown keys reported; `check` gets the known ones.
  const members = (object, prefix, known, where, check) => {
    const seen = new Set();
    for (const m of object.members) {
      const key = prefix ? `${prefix}.${m.key}` : m.key;
      if (!known.includes(m.key)) problem(m.keyOffset, m.keyLength, key, unknownKey(m.key, known, where));
      else if (seen.has(m.key)) problem(m.keyOffset, m.keyLength, key, `"${m.key}" is given twice`);
      else check(m.key, m.value, key);
      seen.add(m.key);
    }
  };
  // The four keyword lists of an object into `into`, each an array of strings.
  const lists = (object, prefix, where, into) => members(object, prefix, LISTS, where, (list, words, key) => {
    if (words.kind !== 'array') return wrong(words, key, 'an array of strings');
    const bad = words.items.findIndex((w) => w.kind !== 'string');
    if (bad !== -1) {
      const item = words.items[bad];
      return problem(item.offset, item.length, key, `"${key}" must be an array of strings, but item ${bad + 1} is ${kindName(item)}`);
    }
    into[list] = words.items.map((w) => w.value);
  });
  // The text's root object, or null with the problem reported.
  const root = (expected) => {
    const parsed = readJson(String(text));
    if (parsed.error) {
      const { offset, length, message } = parsed.error;
      problem(offset, length, null, `invalid JSON: ${message}`);
      return null;
    }
    if (parsed.value.kind === 'object') return parsed.value;
    problem(parsed.value.offset, parsed.value.length, null, `expected ${expected}, not ${kindName(parsed.value)}`);
    return null;
  };
  return { problems, wrong, members, lists, root };
}

/**
 * Checks the text of a settings file as if it were `file`. Pure: no file is read and nothing is
 * cached. With any problem, the settings are the defaults alone.
 */
function readConfigText(text, file) {
  const { problems, wrong, members, lists, root } = checker(text, file);
  const settings = defaultSettings();
  const object = root(`an object of settings (${quoteList(TOP)})`);
  if (object === null) return { file, settings, problems };
  const found = { keywords: {}, rules: {} };
  members(object, '', TOP, 'the top level', (name, value, key) => {
    if (name === 'strictKeywords') {
      if (value.kind === 'boolean') found.strictKeywords = value.value;
      else wrong(value, key, 'true or false');
    } else if (value.kind !== 'object') {
      wrong(value, key, name === 'keywords' ? `an object of the lists ${quoteList(LISTS)}` : `an object of the rules ${quoteList(Object.keys(RULES))}`);
    } else if (name === 'keywords') {
      lists(value, key, '"keywords"', found.keywords);
    } else {
      members(value, key, Object.keys(RULES), '"rules"', (rule, v, ruleKey) => {
        if (RULES[rule] === 'boolean') {
          if (v.kind === 'boolean') found.rules[rule] = v.value;
          else wrong(v, ruleKey, 'true or false');
        } else if (v.kind === 'number' && Number.isInteger(v.value) && v.value >= 0 && v.value <= 0xffffffff) {
          found.rules[rule] = v.value;
        } else {
          wrong(v, ruleKey, 'a whole number from 0 to 4294967295');
        }
      });
    }
  });
  if (problems.length === 0) {
    Object.assign(settings.keywords, found.keywords);
    Object.assign(settings.rules, found.rules);
    if (found.strictKeywords !== undefined) settings.strictKeywords = found.strictKeywords;
  }
  return { file, settings, problems };
}

/**
 * Checks the text of a keywords file (the four lists alone, as `keywords` takes them) as if it were
 * `file`. A list it leaves out is empty; with any problem, every list is.
 */
function readKeywordsText(text, file) {
  const { problems, lists, root } = checker(text, file);
  const keywords = { instructions: [], precodes: [], directives: [], commands: [] };
  const object = root(`an object of the lists ${quoteList(LISTS)}`);
  if (object !== null) {
    const found = {};
    lists(object, '', 'a keywords file', found);
    if (problems.length === 0) Object.assign(keywords, found);
  }
  return { file, keywords, problems };
}

/** The nearest vexa.json (a file, not a folder) in `startDir` or a folder above it, or null. */
function findConfig(startDir) {
  let dir = path.resolve(startDir);
  for (;;) {
    const candidate = path.join(dir, CONFIG_FILE_NAME);
    try {
      if (fs.statSync(candidate).isFile()) return candidate;
    } catch {
      // Not there (or not visible to us): keep looking further up.
    }
    const parent = path.dirname(dir);
    if (parent === dir) return null;
    dir = parent;
  }
}

const cache = new Map();

const REASONS = {
  ENOENT: 'no such file',
  EACCES: 'permission denied',
  EPERM: 'permission denied',
  EISDIR: 'is a directory',
  ENOTDIR: 'a part of the path is not a folder',
};

function unreadable(file, error) {
  const reason = REASONS[error.code] ?? error.message;
  return { file, settings: defaultSettings(), problems: [{ file, line: 1, column: 1, offset: 0, length: 0, key: null, message: `cannot read the settings: ${reason}` }] };
}

/** Reads and checks a settings file, from the cache while the file is unchanged. */
function loadConfig(file) {
  const abs = path.resolve(file);
  let fd;
  try {
    fd = fs.openSync(abs, 'r');
    const stat = fs.fstatSync(fd, { bigint: true });
    if (stat.isDirectory()) return unreadable(abs, { code: 'EISDIR' });
    const stamp = `${stat.dev}:${stat.ino}:${stat.size}:${stat.mtimeNs}:${stat.ctimeNs}`;
    const cached = cache.get(abs);
    if (cached && cached.stamp === stamp) return structuredClone(cached.loaded);
    const loaded = readConfigText(fs.readFileSync(fd, 'utf8'), abs);
    cache.set(abs, { stamp, loaded });
    return structuredClone(loaded);
  } catch (error) {
    return unreadable(abs, error);
  } finally {
    if (fd !== undefined) fs.closeSync(fd);
  }
}

/**
 * The settings for a source file: those of the nearest vexa.json to its folder (to `cwd` for
 * standard input, `sourceFile` null), or the defaults with `file` null when there is none.
 */
function configFor(sourceFile, options = {}) {
  const cwd = path.resolve(options.cwd ?? process.cwd());
  const dir = sourceFile == null ? cwd : path.dirname(path.resolve(cwd, sourceFile));
  const found = findConfig(dir);
  return found ? loadConfig(found) : { file: null, settings: defaultSettings(), problems: [] };
}

function clearConfigCache(file) {
  if (file === undefined) cache.clear();
  else cache.delete(path.resolve(file));
}

module.exports = { CONFIG_FILE_NAME, defaultSettings, findConfig, readConfigText, readKeywordsText, loadConfig, configFor, clearConfigCache };
