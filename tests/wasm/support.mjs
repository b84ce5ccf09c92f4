// What the WebAssembly suites share: the module (build/wasm, scripts/build-web.sh makes it), the
// native kiss2bmp it must match, the shared dolls, scratch folders, a ZIP writer and the runs of
// both programs over the same inputs.
import {after} from 'node:test';
import {spawnSync} from 'node:child_process';
import {existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync} from 'node:fs';
import {createRequire} from 'node:module';
import {tmpdir} from 'node:os';
import {dirname, join} from 'node:path';
import {deflateRawSync} from 'node:zlib';

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

function readTree(folder, prefix = '', files = new Map()) {
  for (const name of readdirSync(folder).sort()) {
    const path = join(folder, name);
    if (statSync(path).isDirectory()) readTree(path, prefix + name + '/', files);
    else files.set(prefix + name, new Uint8Array(readFileSync(path)));
  }
  return files;
}

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

// A ZIP archive of stored or deflated members ([name, bytes]).
export function zip(members, deflate = false) {
  const crcTable = Array.from({length: 256}, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc32 = (b) => { let c = ~0; for (const x of b) c = crcTable[(c ^ x) & 255] ^ (c >>> 8); return ~c >>> 0; };
  const parts = [], central = [];
  let offset = 0;
  for (const [name, raw] of members) {
    const bytes = Buffer.from(raw), nameBytes = Buffer.from(name, 'latin1');
    const data = deflate ? deflateRawSync(bytes) : bytes;
    const local = Buffer.alloc(30);
    local.writeUInt32LE(0x04034B50, 0); local.writeUInt16LE(20, 4); local.writeUInt16LE(deflate ? 8 : 0, 8);
    local.writeUInt32LE(crc32(bytes), 14); local.writeUInt32LE(data.length, 18); local.writeUInt32LE(bytes.length, 22);
    local.writeUInt16LE(nameBytes.length, 26);
    const entry = Buffer.alloc(46);
    entry.writeUInt32LE(0x02014B50, 0); entry.writeUInt16LE(20, 4); entry.writeUInt16LE(20, 6);
    entry.writeUInt16LE(deflate ? 8 : 0, 10); entry.writeUInt32LE(crc32(bytes), 16);
    entry.writeUInt32LE(data.length, 20); entry.writeUInt32LE(bytes.length, 24);
    entry.writeUInt16LE(nameBytes.length, 28); entry.writeUInt32LE(offset, 42);
    parts.push(local, nameBytes, data);
    central.push(entry, nameBytes);
    offset += 30 + nameBytes.length + data.length;
  }
  const size = central.reduce((s, b) => s + b.length, 0);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054B50, 0); end.writeUInt16LE(members.length, 8); end.writeUInt16LE(members.length, 10);
  end.writeUInt32LE(size, 12); end.writeUInt32LE(offset, 16);
  return new Uint8Array(Buffer.concat([...parts, ...central, end]));
}
