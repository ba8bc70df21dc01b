// Joins the page's JavaScript modules into one classic script, for the file
// that has to run from file:// (where a browser loads no module). Each module
// becomes a function whose result is its exports; its imports read those of
// the modules before it. The modules keep to what this understands: named
// imports from './x.js' and exports of declarations, nothing else.
import { readFileSync } from 'node:fs';
import path from 'node:path';

const IMPORT = /^import\s*\{([^}]*)\}\s*from\s*'\.\/([\w.-]+\.js)';[ \t]*$/gm;
const EXPORT = /^export\s+(?:async\s+)?(?:function\*?|const|let|class)\s+([\w$]+)/gm;

function moduleName(file) {
  return `module_${path.basename(file, '.js').replace(/[^\w]/g, '_')}`;
}

// The script of `entry` and every module it imports, in an order where each
// module comes after those it imports.
export function bundle(entry) {
  const order = [];
  const seen = new Set();
  const visit = (file, trail) => {
    if (trail.includes(file)) throw new Error(`import circolare: ${[...trail, file].join(' -> ')}`);
    if (seen.has(file)) return;
    seen.add(file);
    const text = readFileSync(file, 'utf8');
    for (const match of text.matchAll(IMPORT)) visit(path.join(path.dirname(file), match[2]), [...trail, file]);
    order.push({ file, text });
  };
  visit(path.resolve(entry), []);

  const parts = ['(() => {', "'use strict';"];
  for (const { file, text } of order) {
    const exported = [...text.matchAll(EXPORT)].map((match) => match[1]);
    let body = text.replace(IMPORT, (_, names, from) => {
      const source = moduleName(path.join(path.dirname(file), from));
      return `const {${names}} = ${source};`;
    });
    body = body.replace(/^export\s+/gm, '');
    if (/^\s*(import|export)\b/m.test(body)) {
      throw new Error(`${file}: un import o un export che il raccoglitore non capisce`);
    }
    parts.push(`const ${moduleName(file)} = (() => {`, body, `return { ${exported.join(', ')} };`, '})();');
  }
  parts.push('})();', '');
  return parts.join('\n');
}
