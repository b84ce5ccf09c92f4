// The app: an archive dropped or picked is handed to kiss2bmp in the module (kiss-api.js), its
// page shown in a sandboxed frame, its files offered as downloads. Everything kiss2bmp says is
// shown as it says it.
/* global createKiss, openKiss */
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const status = (text) => { $('status').textContent = text; };
  const failure = (text) => {
    $('error').textContent = text;
    $('error').hidden = !text;
  };
  let kiss = null, doll = null; // doll: {name, bytes, cnf}

  // CRC-32 and a ZIP of stored members (the files are kept byte for byte as kiss2bmp wrote them).
  const crcTable = new Uint32Array(256).map((_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  function crc32(bytes) {
    let c = 0xFFFFFFFF;
    for (let i = 0; i < bytes.length; ++i) c = crcTable[(c ^ bytes[i]) & 0xFF] ^ (c >>> 8);
    return (c ^ 0xFFFFFFFF) >>> 0;
  }
  function zip(files) {
    const encoder = new TextEncoder(), chunks = [], central = [];
    let offset = 0;
    for (const [name, bytes] of files) {
      const nameBytes = encoder.encode(name), crc = crc32(bytes);
      const local = new DataView(new ArrayBuffer(30));
      local.setUint32(0, 0x04034B50, true); local.setUint16(4, 20, true);
      local.setUint16(6, 0x0800, true); // names in UTF-8
      local.setUint32(14, crc, true); local.setUint32(18, bytes.length, true);
      local.setUint32(22, bytes.length, true); local.setUint16(26, nameBytes.length, true);
      const entry = new DataView(new ArrayBuffer(46));
      entry.setUint32(0, 0x02014B50, true); entry.setUint16(4, 20, true); entry.setUint16(6, 20, true);
      entry.setUint16(8, 0x0800, true); entry.setUint32(16, crc, true);
      entry.setUint32(20, bytes.length, true); entry.setUint32(24, bytes.length, true);
      entry.setUint16(28, nameBytes.length, true); entry.setUint32(42, offset, true);
      chunks.push(local, nameBytes, bytes);
      central.push(entry, nameBytes);
      offset += 30 + nameBytes.length + bytes.length;
    }
    const size = central.reduce((sum, part) => sum + part.byteLength, 0);
    const end = new DataView(new ArrayBuffer(22));
    end.setUint32(0, 0x06054B50, true); end.setUint16(8, files.size, true);
    end.setUint16(10, files.size, true); end.setUint32(12, size, true); end.setUint32(16, offset, true);
    return new Blob([...chunks, ...central, end], {type: 'application/zip'});
  }
  function download(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // kiss2bmp over the doll with the chosen configuration; a failure is shown as it printed it.
  function run(args) {
    const cnf = doll.cnf ? ['--cnf', doll.cnf] : [];
    const result = kiss.run([[doll.name, doll.bytes]], [...cnf, ...args, doll.name, 'out']);
    if (result.status !== 0 && result.status !== undefined) failure(result.err || result.out);
    return result;
  }
  const baseName = () => (doll.cnf || doll.name).replace(/\.[^.]*$/, '');

  function play() {
    failure('');
    const started = performance.now();
    const result = run(['-q', '--page']);
    const page = [...result.files].find(([name]) => name.endsWith('.html'));
    if (result.status !== 0 || !page) {
      $('doll').hidden = true;
      status(`${doll.name}: not converted`);
      return;
    }
    doll.page = page;
    $('player').srcdoc = new TextDecoder().decode(page[1]);
    $('doll').hidden = false;
    // --check once the doll shows, so that it does not hold the first frame back.
    const checked = doll;
    $('findings').textContent = '…';
    $('player').addEventListener('load', () => setTimeout(() => {
      if (doll !== checked) return;
      const check = kiss.run([[doll.name, doll.bytes]], [...(doll.cnf ? ['--cnf', doll.cnf] : []), '--check', doll.name]);
      $('findings').textContent = check.out + check.err;
    }, 50), {once: true});
    status(`${doll.name}${doll.cnf ? ' (' + doll.cnf + ')' : ''}: playing (converted in ${Math.round(performance.now() - started)} ms)`);
  }

  async function open(file) {
    failure('');
    status(`Reading ${file.name}…`);
    await starting;
    if (!kiss) return;
    doll = {name: file.name.replace(/[/\\]/g, '_'), bytes: new Uint8Array(await file.arrayBuffer()), cnf: null};
    const found = kiss.configurations(doll.name, doll.bytes);
    const select = $('cnf');
    select.replaceChildren();
    if (found.error) {
      $('doll').hidden = true;
      failure(found.error);
      status(`${file.name}: not converted`);
      return;
    }
    for (const name of found.names) select.append(new Option(name, name));
    $('choices').hidden = found.names.length < 2;
    doll.cnf = found.names.length > 1 ? found.names[0] : null;
    play();
  }

  $('cnf').addEventListener('change', () => { doll.cnf = $('cnf').value; play(); });
  $('get-page').addEventListener('click', () => {
    download(new Blob([doll.page[1]], {type: 'text/html'}), doll.page[0]);
  });
  $('get-png').addEventListener('click', () => {
    const result = run(['-q', '--format', 'png', '--snapshot', 'out/snapshot.png']);
    if (result.status === 0) download(zip(result.files), baseName() + '-png.zip');
  });
  $('get-bmp').addEventListener('click', () => {
    const result = run(['-q']);
    if (result.status === 0) download(zip(result.files), baseName() + '-bmp.zip');
  });
  $('pick').addEventListener('change', () => {
    if ($('pick').files.length) open($('pick').files[0]);
  });
  const drop = $('drop');
  drop.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); $('pick').click(); }
  });
  document.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
  document.addEventListener('dragleave', () => drop.classList.remove('over'));
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    drop.classList.remove('over');
    if (e.dataTransfer.files.length) open(e.dataTransfer.files[0]);
  });

  // The app answers at once; the module is decoded and compiled after the first paint, and a doll
  // picked before it is ready waits for it.
  performance.mark('kiss-app-interactive');
  const starting = new Promise((started) => setTimeout(started, 0)).then(() => {
    const text = atob($('kiss-wasm').textContent.trim());
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return openKiss(createKiss, bytes);
  }).then((opened) => {
    kiss = opened;
    document.body.dataset.ready = 'true';
    performance.mark('kiss-app-ready');
    status('Ready: open a doll.');
  }, (e) => failure('The convertor could not start: ' + e));
})();
