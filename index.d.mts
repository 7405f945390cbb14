// Types of the ES module entry: the same exports as the CommonJS one.
export * from './index.js';
