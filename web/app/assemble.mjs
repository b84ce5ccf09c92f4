// Makes the app's one file (scripts/build-web.sh): index.html with its style, the module's glue
// (kiss.js), the .wasm as base64 in a data block (a page opened from disk can fetch nothing, not
// even a file beside it), kiss-api.js and app.js put in at their marks.
//
// Usage: node web/app/assemble.mjs KISS.JS KISS.WASM OUTPUT.html
import {readFileSync, writeFileSync, mkdirSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';

const [glue, wasm, output] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const read = (name) => readFileSync(join(here, name), 'utf8');
// No text put in a <script> may end it early.
const safe = (text) => text.replace(/<\/script/gi, '<\\/script');
const parts = {
  '<!--STYLE-->': read('app.css'),
  '<!--WASM-->': readFileSync(wasm).toString('base64'),
  '<!--SCRIPT-->': safe(readFileSync(glue, 'utf8') + '\n' + read('kiss-api.js') + '\n' + read('app.js')),
};
let page = read('index.html');
for (const [mark, text] of Object.entries(parts)) {
  if (!page.includes(mark)) throw new Error(`index.html has no ${mark}`);
  page = page.split(mark).join(text);
}
mkdirSync(dirname(output), {recursive: true});
writeFileSync(output, page);
