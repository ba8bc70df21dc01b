// The same user actions in the WebAssembly build (under Node) and in the
// native build of the same binding, timed inside each program, module and
// process start left out:
//
//   node web/bench/actions.mjs [ACTIONS] [ROUNDS]   (default 20000 and 5)
//
// A random session on the bundled rules: each action is followed by the view
// the page reads after it, every seventh by the sheet and the printable texts
// too; each answer is read out of the binding as the page reads it (texts
// decoded, the sheet's bytes copied); the native player copies it. Both
// builds play the same script, parsed before the clock starts. The rounds take
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
        core.bytes();
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
        core.bytes();
        break;
      case 'sheet':
        m._tarvo_sheet();
        core.bytes();
        break;
      case 'print':
        m._tarvo_print_json();
        core.bytes();
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

try {
  const session = randomSession(20261207, 'rules bundled', actions).split('\n');
  session.splice(4, 0, 'time begin');
  session.push('time end');
  const script = session.join('\n');
  const file = work.file('bench.txt');
  writeFileSync(file, script);
  const ops = parse(script);

  const core = await openWasm();
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
  const show = (runs) => `tempo ${of(runs, 'wall').toFixed(1)} ms, processore ${of(runs, 'cpu').toFixed(1)} ms`;
  console.log(`${actions} azioni, ${rounds} giri (mediane)`);
  console.log(`  nativo:      ${show(native)}`);
  console.log(`  WebAssembly: ${show(wasm)}`);
  console.log(
    `  rapporto: tempo ${(of(wasm, 'wall') / of(native, 'wall')).toFixed(2)}, processore ${(of(wasm, 'cpu') / of(native, 'cpu')).toFixed(2)}`,
  );
} finally {
  work.remove();
}
