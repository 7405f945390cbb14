// The ES module entry: `import { parse, keywords } from 'vexa-frontend'`. It loads the CommonJS
// entry, so that `import` and `require` in one process share one addon and one keyword registry.
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const addon = require('./index.js');

export const parse = addon.parse;
export const keywords = addon.keywords;
