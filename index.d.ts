// Types of the native addon's two exports.

export interface Position {
  line: number;
  character: number;
}

export interface Range {
  start: Position;
  end: Position;
}

export interface Diagnostic {
  /** "VEXA" followed by the decimal code, e.g. "VEXA1203". */
  code: string;
  /** 1 error, 2 warning. */
  severity: 1 | 2;
  args?: string[];
  range?: Range;
}

/** Every node starts with these; each node type adds its own properties. */
export interface Node {
  range: Range;
  type: number;
  /** Absent when the target name is "<anonymous>". */
  filePath?: string;
  [property: string]: unknown;
}

export interface ParseResult {
  /** Bit mask of the usage flags raised by namespace commands (0 to 7). */
  optimize: number;
  nodes: Node[];
  diagnostics: Diagnostic[];
}

export interface Rules {
  'core.strict': boolean;
  'core.dialect': number;
  'syntax.parseBlocks': boolean;
  /** 0 reports every diagnostic. */
  'diagnostic.limit': number;
}

export interface KeywordLists {
  instructions?: string[];
  directives?: string[];
  commands?: string[];
  precodes?: string[];
}

export interface Keywords {
  /** The number to pass to parse; it stays readable after dispose but no longer resolves. */
  readonly reference: number;
  dispose(): void;
}

export function keywords(words: KeywordLists, strict: boolean): Keywords;

/** Never rejects: problems in the source come back as diagnostics. Throws on bad arguments. */
export function parse(
  name: string,
  buffer: Buffer,
  reference: number,
  rules: Rules,
): Promise<ParseResult>;
