// Types of the message catalogue.
import type { Diagnostic } from '../index';

export interface MessageEntry {
  /** The English message; `{0}`, `{1}` stand for the diagnostic's arguments. */
  readonly text: string;
  /** How many arguments a diagnostic of this code carries at most. */
  readonly args: number;
  /** Whole messages for particular first arguments, used instead of `text`. */
  readonly forms?: Readonly<Record<string, string>>;
  /** Stands in for an argument that a diagnostic of this code may leave out. */
  readonly none?: string;
}

/** Keyed by the code's number (1203 for "VEXA1203"). */
export const MESSAGES: Readonly<Record<number, MessageEntry>>;

/** The message of a diagnostic, or of a code ("VEXA1203" or 1203) with its arguments. */
export function format(diagnostic: Pick<Diagnostic, 'code' | 'args'>): string;
export function format(code: string | number, args?: readonly string[]): string;
