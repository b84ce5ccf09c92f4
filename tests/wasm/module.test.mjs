// The module (scripts/build-web.sh) against native kiss2bmp: each shared doll's every configuration
// converted to a page, PNG images with the snapshot, BMP files and --check's findings, with the same
// files byte for byte, messages and status; hostile archives refused alike. Skips, saying why.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {readdirSync, readFileSync} from 'node:fs';
import {join} from 'node:path';
import {dolls, module, noDolls, noModule, noNative, runNative, zip} from './support.mjs';

const skip = noModule || noNative;
const kiss = skip ? null : await module();

// The same run in both: status, messages and every file written, byte for byte.
function same(inputs, args, what) {
  const mine = kiss.run(inputs, args), theirs = runNative(inputs, args);
  assert.equal(mine.err, theirs.err, `${what}: standard error`);
  assert.equal(mine.out, theirs.out, `${what}: standard output`);
  assert.equal(mine.status, theirs.status, `${what}: exit status`);
  assert.deepEqual([...mine.files.keys()].sort(), [...theirs.files.keys()], `${what}: the files written`);
  for (const [name, bytes] of theirs.files)
    assert.ok(Buffer.from(mine.files.get(name)).equals(Buffer.from(bytes)), `${what}: ${name} differs`);
  return mine;
}

const runs = {page: ['--page'], png: ['--format', 'png', '--snapshot', 'out/snapshot.png'], bmp: []};

const archives = noDolls ? [] : readdirSync(dolls).filter((n) => /\.(lzh|zip)$/i.test(n)).sort();
if (noDolls) test('the shared dolls', {skip: noDolls}, () => {});
for (const archive of archives) {
  test(`${archive}: page, PNG and BMP runs byte for byte as native kiss2bmp's`, {skip}, () => {
    const bytes = new Uint8Array(readFileSync(join(dolls, archive)));
    const found = kiss.configurations([[archive, bytes]], archive);
    assert.ok(found.names?.length > 0, `${archive}: ${found.error}`);
    let converted = 0; // a configuration native kiss2bmp refuses must be refused the same way
    for (const cnf of found.names) {
      const choose = found.names.length > 1 ? ['--cnf', cnf] : [];
      for (const [kind, args] of Object.entries(runs)) {
        const r = same([[archive, bytes]], [...choose, ...args, archive, 'out'], `${archive} ${cnf} ${kind}`);
        if (r.status === 0) ++converted;
      }
      same([[archive, bytes]], [...choose, '--check', archive], `${archive} ${cnf} --check`);
    }
    assert.ok(converted > 0, `${archive}: no configuration converted`);
  });
}

// Refused as natively in the BMP run, the page and --check: a ZIP whose members climb out of it,
// and a GIF named as one of boredom's cels (the BMP run's message names that cel).
const boredom = noDolls ? [] : readdirSync(join(dolls, 'boredom')).sort();
const cel = boredom.find((n) => /\.cel$/i.test(n));
const gif = Buffer.from('47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b', 'hex');
const refused = [
  ['hostile.zip', () => zip([['../evil.cnf', Buffer.from('%pal.kcf\n#1 a.cel *0 :0\n$0 0,0\n')],
    ['/abs.cel', new Uint8Array(8)], ['a/../../x.kcf', new Uint8Array(4)]]), /./],
  ['gifcel.zip', () => zip(boredom.map((n) => [n, n === cel ? gif : readFileSync(join(dolls, 'boredom', n))]), true),
    new RegExp(cel?.replace('.', '\\.'), 'i')],
];
for (const [name, make, message] of refused) {
  test(`${name} is refused as natively`, {skip: skip || noDolls}, () => {
    const archive = make();
    const r = same([[name, archive]], [name, 'out'], `${name}, BMP run`);
    assert.notEqual(r.status, 0);
    assert.match(r.err, message);
    same([[name, archive]], ['--page', name, 'out'], `${name}, page`);
    same([[name, archive]], ['--check', name], `${name}, --check`);
  });
}
