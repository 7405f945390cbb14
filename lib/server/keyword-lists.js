'use strict';
// Which of the settings' keyword lists holds a word, compared as the keyword table compares it.

/** The lists in the order the keyword table gives a word listed twice its kind. */
const LISTS = /** @type {const} */ (['precodes', 'commands', 'directives', 'instructions']);
const SINGULAR = { precodes: 'precode', commands: 'command', directives: 'directive', instructions: 'instruction' };

/**
 * @param {import('../config.js').Settings} settings @param {string} word
 * @returns {{ list: typeof LISTS[number], kind: string, word: string } | null}
 */
function listOf(settings, word) {
  const fold = (/** @type {string} */ w) => (settings.strictKeywords ? w : w.toUpperCase());
  const wanted = fold(word);
  for (const list of LISTS) {
    const found = (settings.keywords[list] ?? []).find((k) => fold(k) === wanted);
    if (found !== undefined) return { list, kind: SINGULAR[list], word: found };
  }
  return null;
}

module.exports = { listOf, LISTS };
