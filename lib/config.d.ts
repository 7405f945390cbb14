// Types of the project settings module (vexa-frontend/config).

/** The four keyword lists, as `keywords` takes them. */
export interface KeywordLists {
  instructions: string[];
  precodes: string[];
  directives: string[];
  commands: string[];
}

/** The rules object `parse` takes. */
export interface Rules {
  'core.strict': boolean;
  'core.dialect': number;
  'syntax.parseBlocks': boolean;
  /** 0 reports every diagnostic. */
  'diagnostic.limit': number;
}

export interface Settings {
  keywords: KeywordLists;
  /** Keyword tables match only the words as written (the second argument of `keywords`). */
  strictKeywords: boolean;
  rules: Rules;
}

export interface ConfigProblem {
  file: string;
  /** 1-based, as printed; columns count characters (code points), a byte-order mark none. */
  line: number;
  column: number;
  /** UTF-16 offset and length of the offending text in the file. */
  offset: number;
  length: number;
  /** The key the problem is about, e.g. "keywords.instruction"; null for the file as a whole. */
  key: string | null;
  message: string;
}

export interface LoadedConfig {
  /** Absolute path of the vexa.json; null when none was found. */
  file: string | null;
  /** The file's settings over the defaults; the defaults alone when there are problems. */
  settings: Settings;
  problems: ConfigProblem[];
}

export const CONFIG_FILE_NAME: 'vexa.json';

/** The shipped keyword set and the default rules; a fresh copy on each call. */
export function defaultSettings(): Settings;

/** The nearest vexa.json in `startDir` or a folder above it, as an absolute path; null when none. */
export function findConfig(startDir: string): string | null;

/** Checks `text` as if it were the file `file`: no cache, no I/O. */
export function readConfigText(text: string, file: string): LoadedConfig;

/**
 * Checks the text of a keywords file (an object of the four lists, as `keywords` takes them) as if
 * it were `file`; a list it leaves out is empty, and every list is when there are problems.
 */
export function readKeywordsText(text: string, file: string): { file: string; keywords: KeywordLists; problems: ConfigProblem[] };

/**
 * Reads and checks a settings file, cached by path and revalidated by the file's identity, size and
 * change time. An unreadable file gives one problem at 1:1. Each call returns its own copy.
 */
export function loadConfig(file: string): LoadedConfig;

/**
 * The settings for a source file: the nearest vexa.json to its folder (to `cwd`, by default the
 * current folder, when `sourceFile` is null, as for standard input); the defaults with `file` null
 * when there is none.
 */
export function configFor(sourceFile: string | null, options?: { cwd?: string }): LoadedConfig;

/** Forgets the cached settings of one file, or of every file. */
export function clearConfigCache(file?: string): void;
