// The app: an archive dropped or picked is handed to kiss2bmp in the module (kiss-api.js), its
// page shown in a sandboxed frame, its files offered as downloads. Everything kiss2bmp says is
// shown as it says it.
/* global createKiss, openKiss */
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);

  // The app's own texts in English (those in index.html, marked data-text, are read from it) and
  // Japanese, in the language the browser prefers first, or the one chosen; kiss2bmp's messages
  // are shown as it prints them.
  const texts = {
    en: {
      loading: 'Loading the convertor…', ready: 'Ready: open a doll.', language: '日本語',
      reading: (what) => `Reading ${what}…`, files: (n) => `${n} files`,
      listing: (name, n, count) => `Reading ${name} (${n} of ${count})…`,
      converting: (name) => `Converting ${name}…`, gallery: (n) => `Converting ${n} dolls…`,
      galleryShown: (n) => `The gallery of ${n} dolls: choose one in it or in the list.`,
      galleryOption: (n) => `The gallery (${n} dolls)`,
      playing: (name, ms) => `${name}: playing (converted in ${ms} ms)`, failed: (name) => `${name}: not converted`,
      none: 'No doll here: give a .lzh or .zip archive, a doll\'s folder, or a .cnf with its files.',
      tooMuch: (files, mb) => `Too much at once: at most ${files} files and ${mb} MB.`,
      noStart: (e) => `The convertor could not start: ${e}`, frame: 'The doll playing',
    },
    ja: {
      intro: 'KiSS の人形をここにドロップするか、選んでください。すぐに遊べて、ファイルもクリック一つで保存できます。' +
        '複数の人形はギャラリーになります。ブラウザの外には何も送られません。',
      pick: 'アーカイブやファイルを開く…', 'pick-folder': '人形のフォルダを開く…',
      'drop-help': 'またはこのページにドロップ: .lzh・.zip アーカイブ、人形のフォルダ、.cnf とそのファイル',
      cnf: '人形', set: '画像のセット', 'get-page': 'ページを保存 (.html)', 'get-png': 'PNG 画像を保存 (.zip)',
      'get-bmp': 'BMP ファイルを保存 (.zip)', 'get-gallery': 'すべての人形のページとギャラリーを保存 (.zip)',
      check: '--check の結果', loading: '変換プログラムを読み込んでいます…', ready: '準備ができました: 人形を開いてください。',
      language: 'English', reading: (what) => `${what} を読み込んでいます…`, files: (n) => `${n} 個のファイル`,
      listing: (name, n, count) => `${name} を読んでいます (${n}/${count})…`,
      converting: (name) => `${name} を変換しています…`, gallery: (n) => `${n} 体の人形を変換しています…`,
      galleryShown: (n) => `${n} 体の人形のギャラリー: ここか一覧から選んでください。`,
      galleryOption: (n) => `ギャラリー (${n} 体)`,
      playing: (name, ms) => `${name}: 遊べます (変換 ${ms} ms)`, failed: (name) => `${name}: 変換できませんでした`,
      none: '人形がありません: .lzh・.zip アーカイブ、人形のフォルダ、または .cnf とそのファイルを渡してください。',
      tooMuch: (files, mb) => `一度に多すぎます: ${files} ファイル、${mb} MB までです。`,
      noStart: (e) => `変換プログラムを起動できませんでした: ${e}`, frame: '遊んでいる人形',
    },
  };
  for (const element of document.querySelectorAll('[data-text]')) texts.en[element.dataset.text] = element.textContent;
  let language = /^ja\b/i.test(navigator.language) ? 'ja' : 'en';
  let said = ['loading'];
  const say = (key, ...args) => {
    const text = texts[language][key] ?? texts.en[key];
    return typeof text === 'function' ? text(...args) : text;
  };
  function translate() {
    document.documentElement.lang = language;
    for (const element of document.querySelectorAll('[data-text]')) element.textContent = say(element.dataset.text);
    $('player').title = say('frame');
    Object.assign($('language'), {textContent: say('language'), lang: language === 'ja' ? 'en' : 'ja'});
    $('status').textContent = say(...said);
    const galleryOption = $('cnf').querySelector('option[value=gallery]');
    if (galleryOption) galleryOption.textContent = say('galleryOption', dolls.length);
  }
  // The status line, and the progress bar while work goes on (done of total, or no count); each
  // step waits for a paint so that both show.
  const status = (...what) => {
    said = what;
    $('status').textContent = say(...what);
    $('progress').hidden = true;
    document.querySelector('main').removeAttribute('aria-busy');
  };
  const busy = (done, total, ...what) => {
    status(...what);
    document.querySelector('main').setAttribute('aria-busy', 'true'); // a screen reader waits for the result
    Object.assign($('progress'), {hidden: false, max: total || 1});
    if (total) $('progress').value = done; else $('progress').removeAttribute('value');
    return new Promise((painted) => requestAnimationFrame(() => setTimeout(painted, 0)));
  };
  const failure = (text) => {
    $('error').textContent = text;
    $('error').hidden = !text;
  };
  let kiss = null;

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

  // What was given: every file by its relative name (an archive, a doll's folder, a .cnf with its
  // files, several of them), the dolls among them (kiss2bmp's operands: each archive and each loose
  // .cnf), and one entry for each doll's each configuration.
  let inputs = [], dolls = [], entries = [], doll = null; // doll: the entry playing, {name, cnf, page}
  const limits = {files: 20000, bytes: 512 << 20};

  // kiss2bmp over the given files with args; a failure is shown as it printed it.
  function run(args) {
    const result = kiss.run(inputs, args);
    if (result.status !== 0 && result.status !== undefined) failure(result.err || result.out);
    return result;
  }
  const chosen = () => [...(doll.cnf ? ['--cnf', doll.cnf] : [])];
  // The images' set (kiss2bmp's own default, 0, given as it is: no option).
  const chosenSet = () => ($('set').value === '0' ? [] : ['--set', $('set').value]);
  const baseName = () => (doll.cnf || doll.name).replace(/^.*\//, '').replace(/\.[^.]*$/, '');

  async function play() {
    failure('');
    await busy(0, 0, 'converting', doll.cnf || doll.name);
    const started = performance.now();
    const result = run([...chosen(), '-q', '--page', doll.name, 'out']);
    const page = [...result.files].find(([name]) => name.endsWith('.html'));
    if (result.status !== 0 || !page) {
      $('doll').hidden = true;
      status('failed', doll.name);
      return;
    }
    doll.page = page;
    for (const id of ['get-page', 'get-png', 'get-bmp', 'set-choice']) $(id).hidden = false;
    $('player').srcdoc = new TextDecoder().decode(page[1]);
    $('doll').hidden = false;
    // --check once the doll shows, so that it does not hold the first frame back.
    const checked = doll;
    $('findings').textContent = '…';
    $('player').addEventListener('load', () => setTimeout(() => {
      if (doll !== checked) return;
      const check = kiss.run(inputs, [...chosen(), '--check', doll.name]);
      $('findings').textContent = check.out + check.err;
    }, 50), {once: true});
    status('playing', doll.name + (doll.cnf ? ` (${doll.cnf})` : ''), Math.round(performance.now() - started));
  }

  // Several dolls: their gallery, as kiss2bmp writes it, shown in the frame (made once for what was
  // given); a doll chosen there plays, its link reported by a script added to the shown copy only.
  let gallery = null;
  const makeGallery = () => gallery ??= run(['-q', '-j', '1', '--page', ...dolls, '-o', 'out']).files; // no threads here
  async function showGallery() {
    failure('');
    await busy(0, 0, 'gallery', dolls.length);
    const index = makeGallery().get('index.html');
    if (!index) return status('failed', say('files', inputs.length));
    const report = '<script>addEventListener("click", (e) => { const link = e.target.closest("a[href]"); ' +
      'if (link) { e.preventDefault(); parent.postMessage({kissPage: link.getAttribute("href")}, "*"); } });</script>';
    $('player').srcdoc = new TextDecoder().decode(index).replace(/<\/body>/i, report + '</body>');
    $('doll').hidden = false;
    for (const id of ['get-page', 'get-png', 'get-bmp', 'set-choice']) $(id).hidden = true; // no doll chosen yet
    $('findings').textContent = '';
    status('galleryShown', dolls.length);
  }
  addEventListener('message', (e) => {
    if (e.source !== $('player').contentWindow || typeof e.data?.kissPage !== 'string') return;
    const n = entries.findIndex((entry) => entry.folder === decodeURIComponent(e.data.kissPage).replace(/\/[^/]*$/, ''));
    if (n < 0) return;
    $('cnf').value = n;
    doll = entries[n];
    play();
  });

  // Opens what was given ([relative name, File]): lists every doll's configurations and plays the first.
  async function open(files) {
    failure('');
    if (files.length > limits.files || files.reduce((sum, [, f]) => sum + f.size, 0) > limits.bytes) {
      failure(say('tooMuch', limits.files, limits.bytes >> 20));
      return;
    }
    const given = files.length === 1 ? files[0][0] : say('files', files.length);
    await busy(0, 0, 'reading', given);
    await starting;
    if (!kiss) return;
    // Names as relative paths, with no part that climbs out or is empty.
    const safe = files.map(([name, file]) => [name.split('/').filter((p) => p && p !== '.' && p !== '..').join('/'), file]);
    inputs = await Promise.all(safe.filter(([name]) => name).map(async ([name, file]) => [name, new Uint8Array(await file.arrayBuffer())]));
    dolls = inputs.map(([name]) => name).filter((name) => /\.(lzh|zip|cnf)$/i.test(name)).sort();
    entries = [];
    const refused = [];
    const folders = kiss.folders(dolls, 'dolls'); // where the gallery's links lead
    for (const [n, name] of dolls.entries()) {
      if (dolls.length > 1) await busy(n, dolls.length, 'listing', name, n + 1, dolls.length);
      const found = kiss.configurations(inputs, name);
      if (found.error) refused.push(found.error);
      else if (found.names.length < 2) entries.push({name, cnf: null, folder: folders[n]}); // a .cnf lists none
      else {
        const inside = kiss.folders(found.names, 'configurations');
        found.names.forEach((cnf, i) => entries.push({name, cnf, folder: `${folders[n]}/${inside[i]}`}));
      }
    }
    const select = $('cnf');
    select.replaceChildren(...entries.map((e, n) => new Option(e.cnf ? `${e.name} — ${e.cnf}` : e.name, n)));
    gallery = null;
    if (dolls.length > 1) select.prepend(new Option(say('galleryOption', dolls.length), 'gallery'));
    $('choices').hidden = entries.length < 2;
    $('get-gallery').hidden = dolls.length < 2;
    if (!entries.length) {
      $('doll').hidden = true;
      failure(refused.join('\n') || say('none'));
      status('failed', given);
      return;
    }
    doll = entries[0];
    if (dolls.length > 1) {
      select.value = 'gallery';
      showGallery();
    } else play();
    if (refused.length) failure(refused.join('\n'));
  }

  // The files of a dropped folder, with their paths in it.
  async function dropped(items) {
    const files = [];
    const walk = async (entry) => {
      if (files.length > limits.files) return;
      if (entry.isFile) files.push([entry.fullPath.replace(/^\//, ''), await new Promise((ok, ko) => entry.file(ok, ko))]);
      else if (entry.isDirectory) {
        const reader = entry.createReader();
        for (let batch; (batch = await new Promise((ok, ko) => reader.readEntries(ok, ko))).length;)
          for (const child of batch) await walk(child);
      }
    };
    for (const entry of items.map((item) => item.webkitGetAsEntry?.()).filter(Boolean)) await walk(entry);
    return files;
  }

  $('cnf').addEventListener('change', () => {
    if ($('cnf').value === 'gallery') return showGallery();
    doll = entries[Number($('cnf').value)];
    play();
  });
  $('get-page').addEventListener('click', () => {
    download(new Blob([doll.page[1]], {type: 'text/html'}), doll.page[0]);
  });
  $('get-png').addEventListener('click', () => {
    const result = run([...chosen(), ...chosenSet(), '-q', '--format', 'png', '--snapshot', 'out/snapshot.png', doll.name, 'out']);
    if (result.status === 0) download(zip(result.files), baseName() + '-png.zip');
  });
  $('get-bmp').addEventListener('click', () => {
    const result = run([...chosen(), ...chosenSet(), '-q', doll.name, 'out']);
    if (result.status === 0) download(zip(result.files), baseName() + '-bmp.zip');
  });
  $('get-gallery').addEventListener('click', async () => {
    const before = said;
    await busy(0, 0, 'gallery', dolls.length);
    const files = makeGallery();
    status(...before);
    if (files.size) download(zip(files), 'gallery.zip');
  });
  for (const id of ['pick', 'pick-folder']) {
    $(id).addEventListener('change', () => {
      const files = [...$(id).files];
      if (files.length) open(files.map((f) => [f.webkitRelativePath || f.name, f]));
      $(id).value = '';
    });
  }
  const drop = $('drop');
  drop.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); $('pick').click(); }
  });
  document.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
  document.addEventListener('dragleave', () => drop.classList.remove('over'));
  document.addEventListener('drop', async (e) => {
    e.preventDefault();
    drop.classList.remove('over');
    const items = [...e.dataTransfer.items];
    const files = items.some((item) => item.webkitGetAsEntry?.()?.isDirectory) ? await dropped(items) :
      [...e.dataTransfer.files].map((f) => [f.name, f]);
    if (files.length) open(files);
  });

  $('language').addEventListener('click', () => {
    language = language === 'ja' ? 'en' : 'ja';
    translate();
  });
  translate();

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
    status('ready');
  }, (e) => failure(say('noStart', e)));
})();
