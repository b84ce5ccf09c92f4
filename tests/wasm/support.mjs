// What the WebAssembly suites share: the module (build/wasm, scripts/build-web.sh makes it), the
// native kiss2bmp it must match, the shared dolls, scratch folders, a ZIP writer and the runs of
// both programs over the same inputs.
import {after} from 'node:test';
import {spawnSync} from 'node:child_process';
import {existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync} from 'node:fs';
import {createRequire} from 'node:module';
import {tmpdir} from 'node:os';
import {dirname, join} from 'node:path';
import assert from 'node:assert/strict';

export const source = new URL('../../', import.meta.url).pathname;
export const dolls = join(source, '../shared/dolls');
const glue = join(source, 'build/wasm/cli/kiss.js');
const wasm = join(source, 'build/wasm/cli/kiss.wasm');
export const native = process.env.KISS2BMP ??
  ['build/default/cli/kiss2bmp', 'build/app/cli/kiss2bmp'].map((p) => join(source, p)).find(existsSync);

// The reason the module's suites skip, or false.
const hasEmcc = spawnSync('sh', ['-c', 'command -v emcc'], {stdio: 'ignore'}).status === 0;
export const noModule = !existsSync(wasm) &&
  (hasEmcc ? 'the module is not built (bash scripts/build-web.sh)' : 'emscripten is not installed (apt-get install emscripten), so no module');
export const noNative = !native && 'no native kiss2bmp (cmake --build --preset default)';
export const noDolls = !existsSync(dolls) && `no shared dolls (${dolls})`;

const require = createRequire(import.meta.url);
const {openKiss} = require(join(source, 'web/app/kiss-api.js'));
export const module = () => openKiss(require(glue), readFileSync(wasm));

const folders = [];
after(() => { for (const f of folders) rmSync(f, {recursive: true, force: true}); });
export const scratch = () => folders[folders.push(mkdtempSync(join(tmpdir(), 'kisswasm-'))) - 1];

const readTree = (folder) => new Map(readdirSync(folder, {recursive: true}).sort().filter((n) => statSync(join(folder, n)).isFile())
  .map((n) => [n, new Uint8Array(readFileSync(join(folder, n)))]));

// kiss2bmp run natively in a fresh folder holding the inputs ([relative name, bytes]), as the
// module runs it: the same arguments, the output folder "out" there.
export function runNative(inputs, args) {
  const cwd = scratch();
  for (const [name, bytes] of inputs) {
    mkdirSync(dirname(join(cwd, name)), {recursive: true});
    writeFileSync(join(cwd, name), bytes);
  }
  const r = spawnSync(native, args, {cwd, encoding: 'utf8'});
  const out = join(cwd, 'out');
  return {status: r.status, out: r.stdout, err: r.stderr, files: existsSync(out) ? readTree(out) : new Map()};
}

// A ZIP archive of members ([name, bytes]), stored or deflated, with their names as given, even
// those that climb out of it (Python's zipfile, which emscripten needs anyway, keeps them).
export function zip(members, deflate = false) {
  const path = join(scratch(), 'a.zip');
  const script = 'import sys,json,zipfile\nm=json.load(sys.stdin)\n' +
    'with zipfile.ZipFile(sys.argv[1],"w",zipfile.ZIP_DEFLATED if m["d"] else zipfile.ZIP_STORED) as z:\n' +
    ' for n,b in m["f"]: z.writestr(n,bytes.fromhex(b))';
  const input = JSON.stringify({d: deflate, f: members.map(([n, b]) => [n, Buffer.from(b).toString('hex')])});
  assert.equal(spawnSync('python3', ['-c', script, path], {input}).status, 0, 'python3 zipfile');
  return new Uint8Array(readFileSync(path));
}

// The members of a ZIP archive, read by Python's zipfile once it has checked every member's CRC
// against the central directory.
export function unzip(bytes) {
  const path = join(scratch(), 'b.zip');
  writeFileSync(path, bytes);
  const script = 'import sys,json,zipfile\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n' +
    'print(json.dumps({n: z.read(n).hex() for n in z.namelist()}))';
  const r = spawnSync('python3', ['-c', script, path], {encoding: 'utf8', maxBuffer: 1 << 30});
  assert.equal(r.status, 0, r.stderr);
  return new Map(Object.entries(JSON.parse(r.stdout)).map(([n, hex]) => [n, Buffer.from(hex, 'hex')]));
}
