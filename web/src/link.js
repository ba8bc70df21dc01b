// A link that makes a character again: ?seme=N seeds the dice, and razza,
// archetipo (up to three times), nome, sesso (m or f) and mano (destra,
// sinistra or entrambe) choose as tarvo-genera's options of the same names
// (nome is a pattern: the core makes {n} the number 1 of tarvo-genera's
// first character).

// The link in `search` (a URL's query), or null when it names no seed:
// {seed, choices, problems}; seed is null when the one given is not one from
// 0 to `maxSeed`, the core's largest.
export function readLink(search, maxSeed) {
  const params = new URLSearchParams(search);
  if (!params.has('seme')) return null;
  const problems = [];
  const text = params.get('seme');
  let seed = null;
  // Up to 20 digits, leading zeros included, as tarvo-genera's --seme.
  if (/^[0-9]{1,20}$/.test(text) && Number(text) <= maxSeed) {
    seed = Number(text);
  } else {
    problems.push(`il seme va da 0 a ${maxSeed}, non "${text}": il caso ne sceglie un altro`);
  }
  // An empty value chooses nothing, but for the name, which may be empty.
  const given = (key) => {
    const value = params.get(key);
    return value === null || value === '' ? undefined : value;
  };
  const choices = {
    race: given('razza'),
    archetypes: params.getAll('archetipo').filter((name) => name !== ''),
    sex: given('sesso'),
    hand: given('mano'),
    name: params.get('nome') ?? undefined,
  };
  return { seed, choices, problems };
}
