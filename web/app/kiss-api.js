// The convertor's module as the app and the node tests use it: kiss2bmp compiled to WebAssembly
// (cli/CMakeLists.txt, kiss_module), run through its own main on emscripten's in-memory file
// system. Nothing here converts anything: the files go in under /in, kiss2bmp's command line runs
// as it does on Linux, and what it wrote under /out comes back, with what it printed.
'use strict';

// A convertor over a fresh module: createKiss is emscripten's factory (kiss.js), wasmBinary the
// module's bytes (the app embeds them; a page opened from disk can fetch nothing).
async function openKiss(createKiss, wasmBinary) {
  // Standard output and error as bytes, through devices that are no terminal: kiss2bmp prints
  // as it does into a pipe (no progress lines).
  let out = [], err = [];
  const module = await createKiss({
    wasmBinary,
    stdout: (byte) => { if (byte !== null) out.push(byte); },
    stderr: (byte) => { if (byte !== null) err.push(byte); },
  });
  const text = (bytes) => new TextDecoder().decode(new Uint8Array(bytes));
  const FS = module.FS;

  function removeTree(path) {
    if (!FS.analyzePath(path).exists) return;
    for (const name of FS.readdir(path)) {
      if (name === '.' || name === '..') continue;
      const child = path + '/' + name;
      if (FS.isDir(FS.stat(child).mode)) removeTree(child); else FS.unlink(child);
    }
    FS.rmdir(path);
  }
  function readTree(path, prefix, files) {
    for (const name of FS.readdir(path).sort()) {
      if (name === '.' || name === '..') continue;
      const child = path + '/' + name;
      if (FS.isDir(FS.stat(child).mode)) readTree(child, prefix + name + '/', files);
      else files.set(prefix + name, FS.readFile(child));
    }
    return files;
  }
  // The inputs under /in, by their relative names (a doll's archive, or the files of a folder);
  // /in is the current folder, so that messages name the files as given.
  function putInputs(inputs) {
    FS.chdir('/');
    removeTree('/in');
    removeTree('/out');
    FS.mkdir('/in');
    for (const [name, bytes] of inputs) {
      const parts = name.split('/');
      let folder = '/in';
      for (const part of parts.slice(0, -1)) {
        folder += '/' + part;
        if (!FS.analyzePath(folder).exists) FS.mkdir(folder);
      }
      FS.writeFile('/in/' + name, bytes);
    }
    FS.chdir('/in');
  }

  return {
    // The configurations the doll name among inputs ([relative name, bytes]) holds ({names}), or
    // the message kiss2bmp gives for it ({error}).
    configurations(inputs, name) {
      putInputs(inputs);
      const argument = stringOnHeap(name);
      const pointer = module._kiss_configurations(argument);
      module._free(argument);
      const text = module.UTF8ToString(pointer);
      module._free(pointer);
      if (text.startsWith('!')) return {error: text.slice(1)};
      return {names: text.split('\n').filter((n) => n)};
    },
    // The folders kiss2bmp's run over several dolls gives them (of: 'dolls', names their paths) or,
    // in a doll's folder, gives an archive's several configurations (of: 'configurations').
    folders(names, of) {
      const argument = stringOnHeap(names.join('\n'));
      const pointer = module._kiss_folders(argument, of === 'dolls' ? 0 : 1);
      module._free(argument);
      const text = pointer ? module.UTF8ToString(pointer) : '';
      module._free(pointer);
      return text.split('\n').slice(0, names.length);
    },
    // Runs kiss2bmp with args (its output folder written as "out", made beside the inputs) over
    // inputs (an array or Map of [relative name, bytes]): its exit status, what it printed to
    // standard output and error, and the files it wrote, by their names under out/.
    run(inputs, args) {
      putInputs(inputs);
      out = [];
      err = [];
      let status;
      // Under node, emscripten leaves kiss2bmp's status as the process's own: the caller's is kept.
      const exitCode = typeof process === 'object' ? process.exitCode : undefined;
      try {
        status = module.callMain(args);
      } catch (e) {
        if (e && typeof e.status === 'number') status = e.status; else throw e;
      } finally {
        if (typeof process === 'object') process.exitCode = exitCode;
      }
      const files = FS.analyzePath('/in/out').exists ? readTree('/in/out', '', new Map()) : new Map();
      return {status, out: text(out), err: text(err), files};
    },
  };

  function stringOnHeap(text) {
    const size = module.lengthBytesUTF8(text) + 1;
    const pointer = module._malloc(size);
    module.stringToUTF8(text, pointer, size);
    return pointer;
  }
}

if (typeof module !== 'undefined') module.exports = {openKiss};
