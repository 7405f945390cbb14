'use strict';
// What keeping one text of a large result costs: the heap still used after keeping one label
// (75 characters unless `width` says otherwise) of a result of `count` distinct labels and
// dropping the rest. Shared by the
// result-path benchmark and the test that no text pins the others.
const v8 = require('node:v8');

// The engine's heap in use, and the memory outside it that its objects hold (a long string made
// from bytes may live there).
const used = () => v8.getHeapStatistics().used_heap_size + process.memoryUsage().external;

const labelOf = (width) => (i) => `L${String(i).padStart(width - 1, '0')}`;

// The label of node `index` of the result, and nothing else of it.
async function keepOne(parse, source, index) {
  const result = await parse(source);
  return result.nodes[index].label;
}

// `parse(source)` resolves with a result; run with --expose-gc.
async function keptLabel(parse, count = 100000, width = 75) {
  const label = labelOf(width);
  const source = Array.from({ length: count }, (_, i) => `${label(i)}: NOP 1\n`).join('');
  // Once first, so that what the first decoding leaves for good (compiled decoders) is not counted.
  await keepOne(parse, `${label(0)}: NOP 1\n`, 0);
  global.gc();
  const before = used();
  const kept = await keepOne(parse, source, 2 * 4321);
  // In a later turn, so that nothing of the finished calls is still on the stack.
  await new Promise((resolve) => setImmediate(resolve));
  global.gc();
  const retained = used() - before;
  return { kept, expected: label(4321), textBytes: width * count, retained };
}

module.exports = { keptLabel };
