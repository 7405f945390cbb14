// Types of the native addon's two exports and of the result objects they produce.

export interface Position {
  /** Zero-based line. */
  line: number;
  /** Zero-based character in the line, counted in UTF-8 characters. */
  character: number;
}

/** The end is exclusive. */
export interface Range {
  start: Position;
  end: Position;
}

export interface Diagnostic {
  /** "VEXA" followed by the decimal code, e.g. "VEXA1203". */
  code: `VEXA${number}`;
  /** 1 error, 2 warning. */
  severity: 1 | 2;
  /** Present only when the diagnostic has arguments. */
  args?: string[];
  range: Range;
}

/** What every node starts with. */
export interface NodeBase {
  range: Range;
  type: number;
  /** The parse's target name; absent when it is exactly "<anonymous>". */
  filePath?: string;
}

// ---- Values ----------------------------------------------------------------------------------

interface ValueBase extends NodeBase {
  /** The key written in front of an extended "#HMI" argument ("key: value"). */
  key?: string;
}

export interface NameNode extends ValueBase {
  type: 19;
  identifier: string;
  /** Present (true) only for a "#" name. */
  fixed?: true;
}

export interface IntegerNode extends ValueBase {
  type: 20;
  value: number;
  /** The literal as written. */
  buffer: string;
  /** Present (true) only for a "#" number. */
  fixed?: true;
}

export interface RealNode extends ValueBase {
  type: 21;
  value: number;
  buffer: string;
}

export interface TextNode extends ValueBase {
  type: 22;
  value: string;
}

export interface RegisterNode extends ValueBase {
  type: 23;
  /** The register letter. */
  character: string;
}

export interface IndirectionNode extends ValueBase {
  type: 24;
  identifier: string;
  /** 0 for "*", 238 for "*+", 239 for "*-". */
  modifier: 0 | 238 | 239;
}

/** A format call of an extended "#HMI" argument: a letter and its specification. */
export interface FormatCallNode extends NodeBase {
  type: 25;
  /** The format letter as written ("b", "f", "s", "nz", "L" or "("). */
  name: string;
  args: ValueNode[];
  key?: string;
}

export type ValueNode =
  | NameNode
  | IntegerNode
  | RealNode
  | TextNode
  | RegisterNode
  | IndirectionNode
  | FormatCallNode;

// ---- Directives ------------------------------------------------------------------------------

interface Labelled {
  /** The label's text; "label" and "refc" are absent on a line without a label. */
  label?: string;
  refc?: number;
}

/** A label in front of a directive that yielded no node of its own. */
export interface LabelNode extends NodeBase, Labelled {
  type: 0;
}

/** A label standing for its own statement (alone, or in front of a non-directive statement). */
export interface AddressNode extends NodeBase, Labelled {
  type: 1;
  address: -1;
}

export interface Nvem0Node extends NodeBase {
  type: 2;
}

export interface EquConstantNode extends NodeBase, Labelled {
  type: 3;
  value: ValueNode;
  /** The I/O kind of the I/O members; absent for the plain constant. */
  io?: string;
}

/** Type 4 for the real member, 6 for the symbol member. */
export interface EquValueNode extends NodeBase, Labelled {
  type: 4 | 6;
  value: ValueNode;
}

/** Type 5: the EQU memory member; 7, 8, 9: DEFSEM, the DEF width members, DEFBLOCK. */
export interface MemoryNode extends NodeBase, Labelled {
  type: 5 | 7 | 8 | 9;
  multiplier: number;
  size: ValueNode;
  address: ValueNode;
}

interface Nv0Base extends NodeBase {
  address: -1;
  /** Absent on a line without a label. NV0 nodes carry no "refc". */
  label?: string;
}

export interface Nv0ByteNode extends Nv0Base {
  type: 10;
  values: ValueNode[];
}

export interface Nv0NumericNode extends Nv0Base {
  type: 11;
  numeric: ValueNode;
}

export interface Nv0PointerNode extends Nv0Base {
  type: 12;
  pointer: ValueNode;
}

export interface Nv0SpaceNode extends Nv0Base {
  type: 13;
  size: ValueNode;
}

// ---- Statements ------------------------------------------------------------------------------

export interface BlockTagNode extends NodeBase {
  type: 14;
  /** The tag's text, with its "=" for an inline tag. */
  tag: string;
}

export interface InstructionNode extends NodeBase {
  type: 16;
  /** Present (true) only when the extended precode applies. */
  extended?: true;
  name: string;
  /** 0 without a known precode, else 237, 238 or 239. */
  precode: number;
  operands: ValueNode[];
}

export interface MethodNode extends NodeBase {
  type: 16;
  name: string;
  args: ValueNode[];
}

export interface CommandNode extends NodeBase {
  type: 17;
  /** The command word with its "#". */
  name: string;
  methods: MethodNode[];
}

export interface ClauseNode extends NodeBase {
  type: 16;
  left: ValueNode;
  right: ValueNode;
  /** EQ 0, NE 1, GT 2, GE 3, LT 4, LE 5. */
  comparator: 0 | 1 | 2 | 3 | 4 | 5;
  subsequence: StatementNode[];
}

export interface ConditionalNode extends NodeBase {
  type: 15;
  clauses: ClauseNode[];
  alternative: StatementNode[];
}

/** A node of the result's top-level list (or of a conditional's blocks). */
export type StatementNode =
  | LabelNode
  | AddressNode
  | Nvem0Node
  | EquConstantNode
  | EquValueNode
  | MemoryNode
  | Nv0ByteNode
  | Nv0NumericNode
  | Nv0PointerNode
  | Nv0SpaceNode
  | BlockTagNode
  | ConditionalNode
  | InstructionNode
  | CommandNode;

/** Any node the result may hold, at any depth. */
export type Node = StatementNode | MethodNode | ClauseNode | ValueNode;

export interface ParseResult {
  /** Bit mask of the usage flags raised by namespace commands (0 to 7). */
  optimize: number;
  nodes: StatementNode[];
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

export declare class Keywords {
  private constructor();
  /** The number to pass to parse; it stays readable after dispose but no longer resolves. */
  readonly reference: number;
  /** Releases the table; parses already started keep it. */
  dispose(): void;
}

export function keywords(words: KeywordLists, strict: boolean): Keywords;

/**
 * Problems in the source come back as diagnostics, never as a rejection; the promise rejects only
 * when the host fails while the result is being built (for instance during environment teardown).
 * Throws on bad arguments: a TypeError for an argument or rule of the wrong type (all four rule
 * keys are required), a RangeError for fewer than four arguments or a `reference` under which no
 * keyword table is registered (never handed out, or disposed).
 */
export function parse(
  name: string,
  buffer: Buffer | ArrayBufferView,
  reference: number,
  rules: Rules,
): Promise<ParseResult>;
