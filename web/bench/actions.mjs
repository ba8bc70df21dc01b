// The same user actions in the WebAssembly build (under Node) and in the
// native build of the same binding, timed inside each program, module and
// process start left out:
//
//   node web/bench/actions.mjs [ACTIONS] [ROUNDS]   (default 20000 and 5)
//
// A random session on the bundled rules: each action is followed by the view
// the page reads after it, every seventh by the sheet and the printable texts
// too; the answers stay in the binding in both builds (reading them out is
// the page's work, not the build's). Both builds play the same script, parsed
// before the clock starts. Then the same session in parts: the actions with
// their views (a click on the form), the sheets alone (Salva), the printable
// texts alone (Stampa). The rounds take
// turns (native, WebAssembly, ...), after one WebAssembly round that lets the
// engine compile the module fully; the median wall and processor times of
// each are given, with their ratios (on a busy machine the processor time is
// the steadier). The native player is taken from TARVO_NATIVE_BUILD (a
// release build is the fair one).
import { spawnSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';

import { openWasm, randomSession, SESSION_PLAYER, tempFolder } from '../tests/node/harness.mjs';

const actions = Number(process.argv[2] ?? 20000);
const rounds = Number(process.argv[3] ?? 5);
const work = tempFolder();

// The commands the timed part of a script uses, played on the raw exports.
function parse(script) {
  return script
    .split('\n')
    .filter((line) => line !== '')
    .map((line) => {
      const [command, a, b] = line.split(' ');
      return { command, a: Number(a), b: Number(b), rest: line.slice(command.length + 1) };
    });
}

function playTimed(core, ops) {
  const m = core.m;
  let began = 0;
  let spent = 0;
  let beganCpu = null;
  let cpu = 0;
  for (const { command, a, b, rest } of ops) {
    switch (command) {
      case 'rules':
        m._tarvo_load_bundled_rules();
        break;
      case 'rulesjson':
        m._tarvo_rules_json();
        break;
      case 'start':
        m._tarvo_start(a >>> 0, b);
        break;
      case 'act':
        m._tarvo_act(a, b);
        break;
      case 'name':
        core.takeName(rest);
        break;
      case 'view':
        m._tarvo_view_json();
        break;
      case 'sheet':
        m._tarvo_sheet();
        break;
      case 'print':
        m._tarvo_print_json();
        break;
      case 'foundry':
        m._tarvo_foundry_json();
        break;
      case 'time':
        if (rest === 'begin') {
          beganCpu = process.cpuUsage();
          began = performance.now();
        } else {
          spent = performance.now() - began;
          const used = process.cpuUsage(beganCpu);
          cpu = (used.user + used.system) / 1000;
        }
        break;
      default:
        throw new Error(`comando inatteso: ${command}`);
    }
  }
  return { wall: spent, cpu };
}

const median = (values) => [...values].sort((x, y) => x - y)[Math.floor(values.length / 2)];

// Median times of `lines` (a session without its timing marks) in both builds.
async function measure(core, lines) {
  const script = [...lines.slice(0, 4), 'time begin', ...lines.slice(4), 'time end'].join('\n');
  const file = work.file('bench.txt');
  writeFileSync(file, script);
  const ops = parse(script);
  playTimed(core, ops);
  const native = [];
  const wasm = [];
  for (let round = 0; round < rounds; ++round) {
    const run = spawnSync(SESSION_PLAYER, ['--quiet', file], { encoding: 'utf8' });
    if (run.status !== 0) throw new Error(`tarvo-web-session: ${run.stderr}`);
    const [, wall, cpu] = run.stderr.match(/ms ([\d.]+) cpu ([\d.]+)/);
    native.push({ wall: Number(wall), cpu: Number(cpu) });
    wasm.push(playTimed(core, ops));
  }
  const of = (runs, key) => median(runs.map((run) => run[key]));
  return { native: of(native, 'cpu'), wasm: of(wasm, 'cpu'), nativeWall: of(native, 'wall'), wasmWall: of(wasm, 'wall') };
}

try {
  const core = await openWasm();
  const session = randomSession(20261207, 'rules bundled', actions).split('\n').filter((line) => line !== '');
  const head = session.slice(0, 4);
  const body = session.slice(4);
  const parts = [
    ['tutto', body],
    ['azioni e viste', body.filter((line) => line !== 'sheet' && line !== 'print')],
    ['schede (Salva)', body.filter((line) => line === 'sheet')],
    ['testi stampabili (Stampa)', body.filter((line) => line === 'print')],
  ];
  console.log(`${actions} azioni, ${rounds} giri; mediane del tempo di processore (e del tempo trascorso)`);
  for (const [name, lines] of parts) {
    const times = await measure(core, [...head, ...lines]);
    console.log(
      `  ${name.padEnd(26)} nativo ${times.native.toFixed(1).padStart(6)} ms, WebAssembly ${times.wasm.toFixed(1).padStart(6)} ms: ` +
        `${(times.wasm / times.native).toFixed(2)}x (${(times.wasmWall / times.nativeWall).toFixed(2)}x)`,
    );
  }
} finally {
  work.remove();
}
