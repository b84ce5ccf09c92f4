// The app (dist/web/index.html) in Debian's Chromium, from file:// and from a static server on
// 127.0.0.1: an archive, a folder and two dolls give downloads byte for byte as native kiss2bmp's; a
// damaged archive gets its message and the app works after; the CSP refuses every fetch and
// connection, and no request is made; Japanese, a phone's screen and the keyboard. Skips, saying why.
import {test, after} from 'node:test';
import assert from 'node:assert/strict';
import {existsSync, readdirSync, readFileSync} from 'node:fs';
import {createRequire} from 'node:module';
import {createServer} from 'node:http';
import {join} from 'node:path';
import {dolls, noDolls, noNative, runNative, source, unzip} from './support.mjs';

const app = join(source, 'dist/web/index.html');
const playwright = join(source, 'tests/web/node_modules/playwright-core');
const skip = (!existsSync(app) && 'no app (bash scripts/build-web.sh; needs emscripten)') ||
  (!existsSync('/usr/bin/chromium') && 'no /usr/bin/chromium') ||
  (!existsSync(playwright) && 'no playwright-core (npm ci in tests/web)') || noNative || noDolls;
if (skip) console.log(`the app's browser tests skip: ${skip}`);

// The app served as a static host would, on 127.0.0.1 only.
const server = createServer((request, response) => {
  if (request.url !== '/') return response.writeHead(404).end();
  response.writeHead(200, {'content-type': 'text/html; charset=utf-8'}).end(readFileSync(app));
});
const served = skip ? null : await new Promise((up) => server.listen(0, '127.0.0.1', () => up(`http://127.0.0.1:${server.address().port}/`)));
after(() => server.close());
const browser = skip ? null : await createRequire(import.meta.url)(playwright).chromium.launch({executablePath: '/usr/bin/chromium'});
after(() => browser?.close());

for (const [from, url] of [['file://', 'file://' + app], ['a static server', served]])
test(`the app from ${from} plays dolls and offers their files as native kiss2bmp writes them`, {skip}, async () => {
  const page = await browser.newPage({acceptDownloads: true});
  const requests = [];
  page.on('request', (r) => { if (!/^(file|data|blob|about):/.test(r.url()) && r.url() !== url) requests.push(r.url()); });
  await page.goto(url);
  await page.waitForSelector('body[data-ready]', {timeout: 20000});

  const archive = 'boredom.lzh';
  const bytes = readFileSync(join(dolls, archive));
  await page.setInputFiles('#pick', {name: archive, mimeType: 'application/octet-stream', buffer: bytes});
  await page.waitForSelector('#doll:not([hidden])');
  await page.frameLocator('#player').locator('#stage *').first().waitFor({timeout: 20000});

  const saved = async (button) => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
    return readFileSync(await download.path());
  };
  const samePage = async (inputs, doll) => assert.ok(Buffer.from(await saved('#get-page')).equals(Buffer.from(
    [...runNative(inputs, ['--page', doll, 'out']).files].find(([n]) => n.endsWith('.html'))[1])), `${doll}'s page`);
  await samePage([[archive, bytes]], archive);
  const sameZip = async (button, inputs, args) => {
    const theirs = runNative(inputs, ['-q', ...args]).files, mine = unzip(await saved(button));
    assert.deepEqual([...mine.keys()].sort(), [...theirs.keys()].sort(), `${button}: the members`);
    for (const [name, b] of theirs) assert.ok(mine.get(name).equals(Buffer.from(b)), `${button}: ${name}`);
  };
  await sameZip('#get-png', [[archive, bytes]], ['--format', 'png', '--snapshot', 'out/snapshot.png', archive, 'out']);
  await page.selectOption('#set', '1');
  await sameZip('#get-bmp', [[archive, bytes]], ['--set', '1', archive, 'out']);

  // A doll's folder plays as native kiss2bmp reads its .cnf; several archives give the gallery it writes.
  const files = readdirSync(join(dolls, 'boredom')).map((n) => [`boredom/${n}`, readFileSync(join(dolls, 'boredom', n))]);
  const cnf = files.find(([n]) => /\.cnf$/i.test(n))[0];
  await page.setInputFiles('#pick-folder', join(dolls, 'boredom'));
  await page.waitForFunction((c) => document.getElementById('status').textContent.startsWith(c + ': playing'), cnf);
  await samePage(files, cnf);
  // Two of one name (the gallery numbers the second's folder): the link to it plays that one.
  const two = ['Boredom.lzh', 'boredom.lzh', 'washua.lzh'].map((n) => [n, readFileSync(join(dolls, n.toLowerCase()))]);
  await page.setInputFiles('#pick', two.map(([name, buffer]) => ({name, mimeType: 'application/octet-stream', buffer})));
  await page.waitForSelector('#get-gallery:not([hidden])');
  await sameZip('#get-gallery', two, ['--page', ...two.map(([n]) => n), '-o', 'out']);
  await page.frameLocator('#player').locator('a[href]').nth(1).click();
  await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('boredom.lzh: playing'));

  // A damaged archive: kiss2bmp's own message, and the app still plays a doll after.
  const cut = bytes.subarray(0, Math.floor(bytes.length * 0.6));
  const theirs = runNative([['cut.lzh', cut]], ['cut.lzh', 'out']);
  await page.setInputFiles('#pick', {name: 'cut.lzh', mimeType: 'application/octet-stream', buffer: cut});
  await page.waitForSelector('#error:not([hidden])');
  const shown = await page.textContent('#error');
  assert.equal(shown.trim(), theirs.err.trim(), 'the damaged archive\'s message');
  await page.setInputFiles('#pick', {name: archive, mimeType: 'application/octet-stream', buffer: bytes});
  await page.waitForSelector('#doll:not([hidden])');
  await page.waitForSelector('#error', {state: 'hidden'});

  // The policy refuses a fetch and a connection; nothing was requested.
  const refused = await page.evaluate(async () => {
    const seen = [];
    addEventListener('securitypolicyviolation', (e) => seen.push(e.violatedDirective));
    await fetch('http://127.0.0.1:9/').catch(() => {});
    try { new WebSocket('ws://127.0.0.1:9/'); } catch { seen.push('threw'); }
    return new Promise((done) => setTimeout(() => done(seen), 200));
  });
  assert.ok(refused.filter((d) => d.startsWith('connect-src')).length >= 2 || refused.includes('threw'), refused.join());
  assert.deepEqual(requests, [], 'requests the app made');
});

test('the app in Japanese on a phone, used by keyboard', {skip}, async () => {
  const context = await browser.newContext({locale: 'ja-JP', viewport: {width: 360, height: 640}, isMobile: true, hasTouch: true});
  const page = await context.newPage();
  await page.goto('file://' + app);
  await page.waitForSelector('body[data-ready]');
  const fits = () => page.evaluate(() => document.documentElement.scrollWidth <= innerWidth);
  assert.ok(await fits(), 'no sideways scrolling');
  for (let n = 0; n < 4 && await page.evaluate(() => document.activeElement.id !== 'drop'); ++n) await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'drop', 'the drop zone, reached by Tab, opens the picker');
  const choosing = page.waitForEvent('filechooser');
  await page.evaluate(() => 0); // the browser intercepts the file chooser before the key is pressed
  await page.keyboard.press('Enter');
  await (await choosing).setFiles({name: 'boredom.lzh', mimeType: 'application/octet-stream', buffer: readFileSync(join(dolls, 'boredom.lzh'))});
  await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('boredom.lzh: 遊べます'));
  assert.equal(await page.getAttribute('html', 'lang'), 'ja');
  assert.ok(await fits(), 'no sideways scrolling with the doll shown');
  await page.click('#language');
  assert.match(await page.textContent('#status'), /^boredom\.lzh: playing/);
  await context.close();
});
